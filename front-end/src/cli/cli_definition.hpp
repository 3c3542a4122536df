// The engine command line as data: the program-level command, its hidden
// subcommands and their arguments. The parser and the help texts read it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zav {

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

struct ArgumentGroup {
  std::string_view id;
  std::vector<std::string_view> members;
  bool multiple = true;
  bool required = false;
};

struct SubcommandDefinition {
  std::string_view name;
  bool hidden = false;
  std::optional<std::string_view> about;
  bool version_flag = false;
  bool help_flag = true;  // "-h" and "--help"
  std::vector<ArgumentDefinition> arguments;
  std::optional<ArgumentGroup> group;
};

struct CommandDefinition {
  std::string_view name;
  std::string_view version;
  std::string_view about;
  bool subcommand_required = false;
  bool help_without_arguments = false;
  bool help_flag = true;     // "-h" and "--help"
  bool version_flag = true;  // "-V" and "--version", not inherited
  bool help_subcommand = true;
  ArgumentGroup group;
  std::vector<SubcommandDefinition> subcommands;  // in declaration order

  const SubcommandDefinition* find_subcommand(std::string_view subcommand_name) const;
};

}  // namespace zav
