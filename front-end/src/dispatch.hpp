// The front end's entry: the first argument picks the engine or Python road.
#pragma once

#include <string_view>

#include "command_error.hpp"

namespace zav {

// Returns only after an engine command succeeded; ends the process itself in
// every other case.
void dispatch_main();

// The engine road: parses the engine command line and runs its command. Help
// requests and usage errors end the process inside the parse.
CommandResult run_native_command();

// Whether an argument is exactly "__engine-load" or "__engine-facts", byte for
// byte.
bool is_engine_command_name(std::string_view argument);

// The process status for a child's wait status: its exit code, or 1 when a
// signal ended it.
int exit_status_of(int wait_status);

}  // namespace zav
