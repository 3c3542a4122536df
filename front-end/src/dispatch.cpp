#include "dispatch.hpp"

#include <sys/wait.h>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include <string>
#include <variant>

#include "base/os_error.hpp"
#include "cli/cli.hpp"
#include "facts/facts_command.hpp"
#include "load/load_command.hpp"
#include "process.hpp"
#include "python_handoff.hpp"

namespace zav {
namespace {

CommandResult run_command(const EngineCommand& command) {
  if (const auto* load = std::get_if<EngineLoad>(&command)) return run_load_command(load->load);
  return run_facts_command();
}

[[noreturn]] void exit_with_error(const CommandError& error) {
  std::string line = "zav-parser: " + error.message + "\n";
  // Nothing is left to report a failure of the report itself to.
  (void)write_fully(2, line);
  std::exit(1);
}

}  // namespace

bool is_engine_command_name(std::string_view argument) {
  return argument == ENGINE_LOAD || argument == ENGINE_FACTS;
}

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

int exit_status_of(int wait_status) {
  return WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 1;
}

void dispatch_main() {
  auto arguments = process_arguments();
  if (arguments.size() > 1 && is_engine_command_name(arguments[1])) {
    prepare_heap_for_one_command();
    if (auto done = run_native_command(); !done) exit_with_error(done.error());
    return;
  }
  auto status = run_python();
  if (!status) exit_with_error(status.error());
  std::exit(exit_status_of(*status));
}

}  // namespace zav
