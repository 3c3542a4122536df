#include "engine/source_reader.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <new>
#include <stdexcept>

#include "engine/bundle_path.hpp"
#include "engine/catalogue.hpp"
#include "zav/os_error.hpp"
#include "zav/text.hpp"

namespace zav {
namespace {

struct FileCloser {
  int fd;
  ~FileCloser() { ::close(fd); }
};

// Reads from `fd` until end of file, growing `bytes` as needed. Returns 0 or
// the errno of the failed read.
int read_all(int fd, std::string& bytes, std::size_t expected_size) {
  std::size_t used = 0;
  bytes.resize(expected_size + 1);  // one spare byte tells end of file at once
  for (;;) {
    if (used == bytes.size()) bytes.resize(bytes.size() * 2);
    ssize_t got = ::read(fd, bytes.data() + used, bytes.size() - used);
    if (got < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (got == 0) break;
    used += static_cast<std::size_t>(got);
  }
  bytes.resize(used);
  return 0;
}

// The file's bytes, or the message of the failure.
std::variant<std::string, ReadFailure> read_file(const std::string& path) {
  // O_NONBLOCK: a FIFO put in a file's place after discovery must not block.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return ReadFailure{os_error_text(errno)};
  FileCloser closer{fd};
  struct stat status {};
  std::size_t size = 0;
  if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0) {
    size = static_cast<std::size_t>(status.st_size);
  }
  std::string bytes;
  try {
    if (int error = read_all(fd, bytes, size); error != 0) return ReadFailure{os_error_text(error)};
  } catch (const std::bad_alloc&) {
    return ReadFailure{std::string(catalogue::OUT_OF_MEMORY)};
  } catch (const std::length_error&) {
    return ReadFailure{std::string(catalogue::OUT_OF_MEMORY)};
  }
  return bytes;
}

}  // namespace

SourceFile read_source_file(std::string_view root, std::string_view absolute_path) {
  SourceFile file;
  file.relative_path = bundle_relative_path(root, absolute_path);
  file.absolute_path = std::string(absolute_path);
  file.content = read_file(file.absolute_path);
  if (auto* text = std::get_if<std::string>(&file.content); text && !is_valid_utf8(*text)) {
    file.content = ReadFailure{std::string(catalogue::NOT_UTF8)};
  }
  return file;
}

}  // namespace zav
