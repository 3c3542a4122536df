// The definition of the engine command line, and its number reader.
#include <limits>
#include <string>

#include "cli/cli.hpp"

namespace zav {

const SubcommandDefinition* CommandDefinition::find_subcommand(
    std::string_view subcommand_name) const {
  for (const SubcommandDefinition& subcommand : subcommands) {
    if (subcommand.name == subcommand_name) return &subcommand;
  }
  return nullptr;
}

namespace {

constexpr std::string_view EMPTY_NUMBER = "cannot parse integer from empty string";
constexpr std::string_view INVALID_DIGIT = "invalid digit found in string";
constexpr std::string_view NUMBER_TOO_LARGE = "number too large to fit in target type";

SubcommandDefinition engine_facts_definition() {
  SubcommandDefinition facts;
  facts.name = ENGINE_FACTS;
  return facts;
}

SubcommandDefinition engine_load_definition() {
  SubcommandDefinition load;
  load.name = ENGINE_LOAD;
  load.arguments = {
      {.id = "root",
       .long_name = "",
       .value_name = "ROOT",
       .value_kind = ValueKind::Path,
       .required = true,
       .repeatable = false,
       .default_value = std::nullopt},
      {.id = "exclude",
       .long_name = "exclude",
       .value_name = "EXCLUDE",
       .value_kind = ValueKind::Text,
       .required = false,
       .repeatable = true,
       .default_value = std::nullopt},
      {.id = "read_concurrency",
       .long_name = "read-concurrency",
       .value_name = "READ_CONCURRENCY",
       .value_kind = ValueKind::UnsignedInteger,
       .required = false,
       .repeatable = false,
       .default_value = std::string(default_read_concurrency_text())},
  };
  return load;
}

}  // namespace

CommandDefinition Cli::command_definition() {
  CommandDefinition command;
  command.subcommands.push_back(engine_facts_definition());
  command.subcommands.push_back(engine_load_definition());
  return command;
}

std::string_view default_read_concurrency_text() {
  // A function-local static is initialised exactly once, also under
  // concurrent first calls.
  static const std::string text = std::to_string(DEFAULT_READ_CONCURRENCY);
  return text;
}

std::expected<std::uint64_t, std::string_view> parse_read_concurrency(std::string_view text) {
  if (text.empty()) return std::unexpected(EMPTY_NUMBER);
  if (text == "+" || text == "-") return std::unexpected(INVALID_DIGIT);
  if (text.front() == '+') text.remove_prefix(1);
  constexpr std::uint64_t max = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t value = 0;
  // Left to right: the first problem met decides.
  for (char c : text) {
    if (c < '0' || c > '9') return std::unexpected(INVALID_DIGIT);
    auto digit = static_cast<std::uint64_t>(c - '0');
    if (value > (max - digit) / 10) return std::unexpected(NUMBER_TOO_LARGE);
    value = value * 10 + digit;
  }
  return value;
}

}  // namespace zav
