#include "native_command.hpp"

#include <new>
#include <stdexcept>
#include <variant>

#include "cli/cli.hpp"
#include "facts/facts_command.hpp"
#include "load/load_command.hpp"

namespace zav {
namespace {

constexpr std::string_view OUT_OF_MEMORY = "out of memory";

CommandResult run_command(const EngineCommand& command) {
  if (const auto* load = std::get_if<EngineLoad>(&command)) return run_load_command(load->load);
  return run_facts_command();
}

}  // namespace

CommandResult run_native_command() {
  Cli cli = Cli::parse();
  // Inputs can be as large as memory: an allocation that fails ends the
  // command with a message rather than with an abort.
  try {
    return run_command(cli.command);
  } catch (const std::bad_alloc&) {
    return std::unexpected(CommandError{std::string(OUT_OF_MEMORY)});
  } catch (const std::length_error&) {
    return std::unexpected(CommandError{std::string(OUT_OF_MEMORY)});
  }
}

}  // namespace zav
