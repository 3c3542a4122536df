#include "base/files.hpp"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdint>

namespace zav {
namespace {

constexpr std::size_t CHUNK = 64 * 1024;
constexpr std::uintptr_t HUGE_PAGE = std::uintptr_t{2} << 20;

// A regular file's size plus one spare byte, which tells the end of a file
// that kept its size at once; a chunk for anything else.
std::size_t first_capacity(std::size_t size) {
  return size > 0 ? size + 1 : CHUNK;
}

// Asks for huge pages where a buffer spans them: filling a large buffer then
// costs one page fault per 2 MiB instead of one per 4 KiB. Only advice: the
// system may ignore it.
void advise_huge_pages(char* begin, std::size_t size) {
  auto first = (reinterpret_cast<std::uintptr_t>(begin) + HUGE_PAGE - 1) & ~(HUGE_PAGE - 1);
  auto last = (reinterpret_cast<std::uintptr_t>(begin) + size) & ~(HUGE_PAGE - 1);
  if (last > first) (void)::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

std::expected<std::string, int> read_to_end(int fd, std::size_t capacity) {
  std::string bytes;
  int error = 0;
  bool at_end = false;
  while (!at_end && error == 0) {
    std::size_t kept = bytes.size();
    capacity = std::max(capacity, kept * 2);
    // The new room is read into without being cleared first.
    bytes.resize_and_overwrite(capacity, [&](char* data, std::size_t size) {
      advise_huge_pages(data + kept, size - kept);
      std::size_t used = kept;
      while (used < size) {
        ssize_t got = ::read(fd, data + used, size - used);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
          error = errno;
          break;
        }
        if (got == 0) {
          at_end = true;
          break;
        }
        used += static_cast<std::size_t>(got);
      }
      return used;
    });
  }
  if (error != 0) return std::unexpected(error);
  return bytes;
}

}  // namespace

FileDescriptor::~FileDescriptor() {
  if (fd_ >= 0) ::close(fd_);
}

bool is_regular_file(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool is_directory(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::expected<std::string, int> read_descriptor(int fd) {
  struct stat status {};
  bool regular = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0;
  return read_to_end(fd, first_capacity(regular ? static_cast<std::size_t>(status.st_size) : 0));
}

std::expected<std::string, int> read_regular_file(int fd, std::size_t size) {
  return read_to_end(fd, first_capacity(size));
}

}  // namespace zav
