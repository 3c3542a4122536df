// The end of an engine command's document on standard output.
#pragma once

#include <utility>

#include "command_error.hpp"
#include "stdout_stream.hpp"

namespace zav {

// Flushes the stream after a written document, so that a failure on its last
// buffered bytes is noticed too. The first failure becomes the command's error
// (the operating-system error text); after a failed write nothing is flushed.
CommandResult end_document(WriteResult written, OutputStream& locked_stream);

// Keeps what a command leaves behind until the process ends, which it does
// right after the command: the system takes the memory back at once, where
// destroying a large bundle record by record costs a good part of a load.
// A process runs one command, which calls it once for each kind of value.
template <typename T>
void keep_until_exit(T&& value) {
  static T* const kept = new T(std::move(value));
  (void)kept;
}

}  // namespace zav
