#include "cli/cli_help.hpp"

#include <algorithm>
#include <vector>

#include "base/path_pieces.hpp"
#include "base/text.hpp"

namespace zav {
namespace {

constexpr std::string_view FALLBACK_PROGRAM_NAME = "zav-parser";

bool has_options(const SubcommandDefinition& subcommand) {
  return std::ranges::any_of(subcommand.arguments,
                             [](const ArgumentDefinition& a) { return !a.is_operand(); });
}

std::string usage_line(const SubcommandDefinition& subcommand, std::string_view program) {
  std::string line = std::string(program) + " " + std::string(subcommand.name);
  if (has_options(subcommand)) line += " [OPTIONS]";
  for (const ArgumentDefinition& argument : subcommand.arguments) {
    if (!argument.is_operand()) continue;
    line += argument.required ? " <" : " [";
    line += argument.value_name;
    line += argument.required ? ">" : "]";
  }
  return line;
}

// One row of a help table: the left column and its description.
struct HelpRow {
  std::string left;
  std::string description;
};

void append_table(std::string& text, std::string_view heading, const std::vector<HelpRow>& rows) {
  std::size_t width = 0;
  for (const HelpRow& row : rows) width = std::max(width, row.left.size());
  text += "\n";
  text += heading;
  text += ":\n";
  for (const HelpRow& row : rows) {
    text += "  " + row.left;
    if (!row.description.empty()) {
      text.append(width - row.left.size() + 2, ' ');
      text += row.description;
    }
    text += "\n";
  }
}

}  // namespace

std::string program_display_name(std::string_view program_path) {
  // Trailing slashes and "." pieces do not name anything.
  std::vector<std::string_view> pieces = path_pieces(program_path);
  std::string_view last = pieces.empty() ? std::string_view() : pieces.back();
  if (last.empty() || last == ".." || !is_valid_utf8(last)) {
    return std::string(FALLBACK_PROGRAM_NAME);
  }
  return std::string(last);
}

std::string argument_display(const ArgumentDefinition& argument) {
  std::string value = "<" + std::string(argument.value_name) + ">";
  if (argument.is_operand()) return value;
  return "--" + std::string(argument.long_name) + " " + value;
}

std::string quoted_argument(std::string_view argument) {
  return "'" + utf8_lossy(argument) + "'";
}

std::string render_help(const SubcommandDefinition& subcommand, std::string_view program) {
  std::string text = "Usage: " + usage_line(subcommand, program) + "\n";

  std::vector<HelpRow> operands;
  std::vector<HelpRow> options;
  for (const ArgumentDefinition& argument : subcommand.arguments) {
    std::string description;
    if (argument.default_value) description = "[default: " + *argument.default_value + "]";
    if (argument.is_operand()) {
      operands.push_back({argument_display(argument), description});
    } else {
      // Room for a short form ("-x, ") keeps the long names aligned.
      options.push_back({"    " + argument_display(argument), description});
    }
  }
  if (subcommand.help_flag) options.push_back({"-h, --help", "Print help"});
  if (!operands.empty()) append_table(text, "Arguments", operands);
  if (!options.empty()) append_table(text, "Options", options);
  return text;
}

std::string render_usage_error(const SubcommandDefinition& subcommand, std::string_view program,
                               const UsageError& error) {
  std::string text = "error: " + error.detail + "\n";
  if (!error.tip.empty()) text += "\n  tip: " + error.tip + "\n";
  text += "\nUsage: " + usage_line(subcommand, program) + "\n";
  text += "\nFor more information, try '--help'.\n";
  return text;
}

}  // namespace zav
