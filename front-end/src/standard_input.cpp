#include "standard_input.hpp"

#include <unistd.h>
#include <cerrno>

#include "zav/os_error.hpp"

namespace zav {

std::expected<std::string, std::string> read_to_end(int fd) {
  constexpr std::size_t CHUNK = 64 * 1024;
  std::string bytes;
  std::size_t used = 0;
  for (;;) {
    if (bytes.size() - used < CHUNK) bytes.resize(std::max(bytes.size() * 2, used + CHUNK));
    ssize_t got = ::read(fd, bytes.data() + used, bytes.size() - used);
    if (got < 0) {
      if (errno == EINTR) continue;
      return std::unexpected(os_error_text(errno));
    }
    if (got == 0) break;
    used += static_cast<std::size_t>(got);
  }
  bytes.resize(used);
  return bytes;
}

}  // namespace zav
