// The engine road: parse the engine command line and run its command.
#pragma once

#include "command_error.hpp"

namespace zav {

// Help requests and usage errors end the process inside the parse.
CommandResult run_native_command();

}  // namespace zav
