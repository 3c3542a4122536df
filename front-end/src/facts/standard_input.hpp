// Reading a whole input descriptor into memory.
#pragma once

#include <expected>
#include <string>

namespace zav {

// Reads `fd` to its end (interrupted reads are repeated). Fails with the
// operating-system error text.
std::expected<std::string, std::string> read_to_end(int fd);

}  // namespace zav
