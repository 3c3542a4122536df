// Reading everything an open descriptor holds.
#pragma once

#include <cstddef>
#include <expected>
#include <string>

namespace zav {

// Reads `fd` to its end, repeating interrupted reads. A regular file's size
// sizes the buffer at once, so a whole file costs one allocation. Fails with
// the errno of the failed read; may throw std::bad_alloc.
std::expected<std::string, int> read_descriptor(int fd);

// The same for a regular file whose size the caller has just taken.
std::expected<std::string, int> read_regular_file(int fd, std::size_t size);

}  // namespace zav
