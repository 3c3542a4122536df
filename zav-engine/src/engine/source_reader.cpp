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
#include "zav/read_descriptor.hpp"
#include "zav/text.hpp"

namespace zav {
namespace {

struct FileCloser {
  int fd;
  ~FileCloser() { ::close(fd); }
};

// Why a file that is not a regular file is not read: a directory gives what
// read(2) would say; a FIFO or a device gives read(2)'s answer for an object
// unsuitable for reading.
ReadFailure not_a_regular_file(mode_t mode) {
  return ReadFailure{os_error_text(S_ISDIR(mode) ? EISDIR : EINVAL)};
}

// The file's bytes, or the message of the failure. Only a regular file is
// read: discovery kept regular files alone, and what stands at the path now
// may have been put there since. A symbolic link is not followed (it fails
// with "Too many levels of symbolic links"), so nothing outside the bundle
// is read through it, and a FIFO or a device is never read from, so none
// can block the read or feed it without end.
std::variant<std::string, ReadFailure> read_file(const std::string& path) {
  // O_NONBLOCK: opening a FIFO must not wait for a writer.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
  if (fd < 0) return ReadFailure{os_error_text(errno)};
  FileCloser closer{fd};
  struct stat status {};
  if (::fstat(fd, &status) != 0) return ReadFailure{os_error_text(errno)};
  if (!S_ISREG(status.st_mode)) return not_a_regular_file(status.st_mode);
  try {
    auto bytes = read_regular_file(fd, static_cast<std::size_t>(status.st_size));
    if (!bytes) return ReadFailure{os_error_text(bytes.error())};
    return std::move(*bytes);
  } catch (const std::bad_alloc&) {
    return ReadFailure{std::string(catalogue::OUT_OF_MEMORY)};
  } catch (const std::length_error&) {
    return ReadFailure{std::string(catalogue::OUT_OF_MEMORY)};
  }
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
