// Reading one discovered file whole.
#pragma once

#include <string_view>

#include "engine/source_file.hpp"

namespace zav {

// Runs on a read-pool worker. A failed read or invalid UTF-8 makes the content
// a ReadFailure; never throws.
SourceFile read_source_file(std::string_view root, std::string_view absolute_path);

}  // namespace zav
