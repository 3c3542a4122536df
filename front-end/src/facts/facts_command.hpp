// The __engine-facts command: Markdown texts on standard input, their links
// and headings as the facts document on standard output.
#pragma once

#include "command_error.hpp"

namespace zav {

// Reads and parses all of standard input and computes every document's facts
// before the first byte is written.
CommandResult run_facts_command();

}  // namespace zav
