// The parsed engine command line and the parser that builds it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "cli/cli_definition.hpp"

namespace zav {

inline constexpr std::string_view ENGINE_LOAD = "__engine-load";
inline constexpr std::string_view ENGINE_FACTS = "__engine-facts";

struct Load {
  std::string root;                  // the operand's bytes, unchanged
  std::vector<std::string> exclude;  // in command-line order
  std::uint64_t read_concurrency = 0;
};

struct EngineFacts {};
struct EngineLoad {
  Load load;
};
using EngineCommand = std::variant<EngineFacts, EngineLoad>;

struct Cli {
  EngineCommand command;

  // The command definition; a new value on every call.
  static CommandDefinition command_definition();
  // Parses the process's arguments. A help request or a usage error writes
  // its text and ends the process (status 0 or 2).
  static Cli parse();
};

// Where parsing stops instead of yielding a Cli: the text to write and the
// process status (0: help on standard output, 2: usage error on standard
// error).
struct ParseExit {
  int status = 0;
  std::string text;
};

// Parses a whole argument vector, program name first, then a subcommand name.
std::variant<Cli, ParseExit> parse_command_line(std::span<const std::string_view> argv);

}  // namespace zav
