// The process's argument vector as raw byte strings, program name first.
#pragma once

#include <span>
#include <string_view>

namespace zav {

// Kept by the start-up before dispatch; read by each road itself.
void keep_process_arguments(int argc, char** argv);
std::span<const std::string_view> process_arguments();

}  // namespace zav
