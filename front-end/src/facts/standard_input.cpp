#include "facts/standard_input.hpp"

#include "base/files.hpp"
#include "base/os_error.hpp"

namespace zav {

std::expected<std::string, std::string> read_to_end(int fd) {
  auto bytes = read_descriptor(fd);
  if (!bytes) return std::unexpected(os_error_text(bytes.error()));
  return std::move(*bytes);
}

}  // namespace zav
