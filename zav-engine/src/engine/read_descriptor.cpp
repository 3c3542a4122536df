#include "zav/read_descriptor.hpp"

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace zav {

std::expected<std::string, int> read_descriptor(int fd) {
  constexpr std::size_t CHUNK = 64 * 1024;
  struct stat status {};
  std::size_t expected_size = 0;
  if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0) {
    expected_size = static_cast<std::size_t>(status.st_size);
  }
  std::string bytes;
  // One spare byte tells the end of a file that kept its size at once.
  bytes.resize(expected_size > 0 ? expected_size + 1 : CHUNK);
  std::size_t used = 0;
  for (;;) {
    if (used == bytes.size()) bytes.resize(bytes.size() * 2);
    ssize_t got = ::read(fd, bytes.data() + used, bytes.size() - used);
    if (got < 0) {
      if (errno == EINTR) continue;
      return std::unexpected(errno);
    }
    if (got == 0) break;
    used += static_cast<std::size_t>(got);
  }
  bytes.resize(used);
  return bytes;
}

}  // namespace zav
