// The definition of the engine command line.
#include "cli/cli_definition.hpp"

#include <string>

#include "cli/cli.hpp"
#include "cli/read_concurrency.hpp"

namespace zav {

const SubcommandDefinition* CommandDefinition::find_subcommand(
    std::string_view subcommand_name) const {
  for (const SubcommandDefinition& subcommand : subcommands) {
    if (subcommand.name == subcommand_name) return &subcommand;
  }
  return nullptr;
}

namespace {

SubcommandDefinition engine_facts_definition() {
  SubcommandDefinition facts;
  facts.name = ENGINE_FACTS;
  facts.hidden = true;
  return facts;
}

SubcommandDefinition engine_load_definition() {
  SubcommandDefinition load;
  load.name = ENGINE_LOAD;
  load.hidden = true;
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
  load.group = ArgumentGroup{.id = "Load",
                             .members = {"root", "exclude", "read_concurrency"},
                             .multiple = true,
                             .required = false};
  return load;
}

}  // namespace

CommandDefinition Cli::command_definition() {
  CommandDefinition command;
  command.name = "zav-parser";
  command.version = "0.45.5";
  command.about = "Native ZAV engine";
  command.subcommand_required = true;
  command.help_without_arguments = true;
  command.group = ArgumentGroup{.id = "Cli", .members = {}, .multiple = true, .required = false};
  command.subcommands.push_back(engine_facts_definition());
  command.subcommands.push_back(engine_load_definition());
  return command;
}

}  // namespace zav
