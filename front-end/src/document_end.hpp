// The end of an engine command's document on standard output.
#pragma once

#include "command_error.hpp"
#include "stdout_stream.hpp"

namespace zav {

// Flushes the stream after a written document, so that a failure on its last
// buffered bytes is noticed too. The first failure becomes the command's error
// (the operating-system error text); after a failed write nothing is flushed.
CommandResult end_document(WriteResult written, OutputStream& locked_stream);

}  // namespace zav
