#include "dispatch.hpp"

#include <sys/wait.h>
#include <cstdlib>
#include <string>

#include "cli/cli.hpp"
#include "native_command.hpp"
#include "process_args.hpp"
#include "python_handoff.hpp"
#include "stdout_stream.hpp"

namespace zav {
namespace {

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

int exit_status_of(int wait_status) {
  return WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 1;
}

void dispatch_main() {
  auto arguments = process_arguments();
  if (arguments.size() > 1 && is_engine_command_name(arguments[1])) {
    if (auto done = run_native_command(); !done) exit_with_error(done.error());
    return;
  }
  auto status = run_python();
  if (!status) exit_with_error(status.error());
  std::exit(exit_status_of(*status));
}

}  // namespace zav
