// Help and usage-error texts of the engine subcommands.
#pragma once

#include <string>
#include <string_view>

#include "cli/cli.hpp"

namespace zav {

// The name that help and usage lines give the program: the last component of
// the program path when it has one that is valid UTF-8, else "zav-parser".
std::string program_display_name(std::string_view program_path);

// A usage error: what went wrong and an optional hint.
struct UsageError {
  std::string detail;
  std::string tip;
};

std::string render_help(const SubcommandDefinition& subcommand, std::string_view program);
std::string render_usage_error(const SubcommandDefinition& subcommand, std::string_view program,
                               const UsageError& error);

// "--exclude <EXCLUDE>" for an option, "<ROOT>" for the operand.
std::string argument_display(const ArgumentDefinition& argument);

// An argument as shown in a message: invalid UTF-8 replaced.
std::string quoted_argument(std::string_view argument);

}  // namespace zav
