// The __engine-load command: one bundle load, written as the load document.
#pragma once

#include "cli/cli.hpp"
#include "command_error.hpp"

namespace zav {

// Holds the standard-output lock from before the load until the document is
// written and flushed. A failed load writes nothing.
CommandResult run_load_command(const Load& load);

}  // namespace zav
