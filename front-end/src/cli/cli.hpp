// The engine command line: its definition as data (the program-level command,
// its hidden subcommands and their arguments), the parsed result and the
// parser that builds it.
#pragma once

#include <cstdint>
#include <expected>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace zav {

inline constexpr std::string_view ENGINE_LOAD = "__engine-load";
inline constexpr std::string_view ENGINE_FACTS = "__engine-facts";

// The read concurrency of the load command: its default and its number reader.
inline constexpr std::uint64_t DEFAULT_READ_CONCURRENCY = 32;

// The decimal text of DEFAULT_READ_CONCURRENCY, rendered once per process.
std::string_view default_read_concurrency_text();

// Reads an unsigned 64-bit decimal number: one optional leading "+", then
// ASCII digits only (leading zeros allowed). The reason text tells why a
// text is refused. Range checks belong to the load.
std::expected<std::uint64_t, std::string_view> parse_read_concurrency(std::string_view text);

// How the value of an argument is taken.
enum class ValueKind {
  Path,             // any bytes, kept unchanged
  Text,             // must be valid UTF-8
  UnsignedInteger,  // valid UTF-8 read by parse_read_concurrency
};

struct ArgumentDefinition {
  std::string_view id;
  std::string_view long_name;  // empty for the operand
  std::string_view value_name;
  ValueKind value_kind = ValueKind::Text;
  bool required = false;
  bool repeatable = false;  // each occurrence adds a value; otherwise at most one
  std::optional<std::string> default_value;

  bool is_operand() const { return long_name.empty(); }
};

// A hidden subcommand: dispatch sends only its name here, so nothing lists it.
struct SubcommandDefinition {
  std::string_view name;
  bool help_flag = true;  // "-h" and "--help"
  std::vector<ArgumentDefinition> arguments;
};

// The program-level command holds nothing that a command line reaching the
// parser can ask for but its subcommands: dispatch hands every other command
// line, "--help" and "--version" included, to Python.
struct CommandDefinition {
  std::vector<SubcommandDefinition> subcommands;  // in declaration order

  const SubcommandDefinition* find_subcommand(std::string_view subcommand_name) const;
};

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
