// Every command line that is not an engine command runs the Python module
// zav_parser.cli with an interpreter found next to the executable.
#pragma once

#include <expected>
#include <span>
#include <string>
#include <string_view>

#include "command_error.hpp"

namespace zav {

// The interpreter for an executable path: the first regular file (links
// followed) among D/python, D/bin/python and D/bin/python3, for D the
// executable's directory and then each ancestor up to and including "/";
// else the bare name "python3", which is looked up on the search path.
std::string find_python(std::string_view executable_path);

// Runs `program` with "-m", "zav_parser.cli" and `arguments` (raw bytes),
// inheriting the streams, environment and working directory, with SIGPIPE
// back to its default; waits for it. Yields the wait status.
std::expected<int, CommandError> run_python_module(const std::string& program,
                                                   std::span<const std::string_view> arguments);

// find_python for this process's executable, then run_python_module with
// every argument after the program name.
std::expected<int, CommandError> run_python();

}  // namespace zav
