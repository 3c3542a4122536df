#include "engine/read/source_reader.hpp"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <new>
#include <stdexcept>

#include "base/files.hpp"
#include "base/os_error.hpp"
#include "base/text.hpp"
#include "engine/records/bundle_path.hpp"
#include "engine/records/catalogue.hpp"

namespace zav {
namespace {

// O_NONBLOCK: opening a FIFO must not wait for a writer.
constexpr int OPEN_FLAGS = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW;

// Why a file that is not a regular file is not read: a directory gives what
// read(2) would say; a FIFO or a device gives read(2)'s answer for an object
// unsuitable for reading.
ReadFailure not_a_regular_file(mode_t mode) {
  return ReadFailure{os_error_text(S_ISDIR(mode) ? EISDIR : EINVAL)};
}

// Opens `relative` below the root without following a symbolic link on the way, with
// openat2(2) where the system offers it.
int open_below_root(int root, const std::string& relative) {
  open_how how{};
  how.flags = OPEN_FLAGS;
  how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
  long fd = ::syscall(SYS_openat2, root, relative.c_str(), &how, sizeof how);
  if (fd >= 0 || (errno != ENOSYS && errno != EPERM)) return static_cast<int>(fd);
  return open_each_directory_below(root, relative);
}

// The file's bytes, or the message of the failure. Only a regular file is
// read: discovery kept regular files alone, and what stands at the path now
// may have been put there since. A symbolic link is not followed, neither
// the file's nor a directory's on its way (it fails with "Too many levels of
// symbolic links"), so nothing outside the bundle is read through it, and a
// FIFO or a device is never read from, so none can block the read or feed it
// without end.
std::variant<std::string, ReadFailure> read_file(int root, const std::string& relative) {
  FileDescriptor file(open_below_root(root, relative));
  int fd = file.get();
  if (fd < 0) return ReadFailure{os_error_text(errno)};
  struct stat status {};
  if (::fstat(fd, &status) != 0) return ReadFailure{os_error_text(errno)};
  if (!S_ISREG(status.st_mode)) return not_a_regular_file(status.st_mode);
  try {
    auto bytes = read_regular_file(fd, static_cast<std::size_t>(status.st_size));
    if (!bytes) return ReadFailure{os_error_text(bytes.error())};
    return std::move(*bytes);
  } catch (const std::bad_alloc&) {
    return ReadFailure{std::string(OUT_OF_MEMORY)};
  } catch (const std::length_error&) {
    return ReadFailure{std::string(OUT_OF_MEMORY)};
  }
}

// The part of `absolute_path` below `root`, which discovery joined with "/".
std::string below_root(std::string_view root, std::string_view absolute_path) {
  std::size_t skip = root.size() + (root.ends_with('/') ? 0 : 1);
  return std::string(absolute_path.substr(std::min(skip, absolute_path.size())));
}

}  // namespace

int open_each_directory_below(int root, const std::string& relative) {
  int directory = root;
  std::size_t start = 0;
  for (std::size_t slash = relative.find('/'); slash != std::string::npos;
       slash = relative.find('/', start)) {
    std::string piece = relative.substr(start, slash - start);
    int next = ::openat(directory, piece.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    int error = errno;
    struct stat status {};
    if (next < 0 && error == ENOTDIR &&
        ::fstatat(directory, piece.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISLNK(status.st_mode)) {
      error = ELOOP;
    }
    if (directory != root) ::close(directory);
    if (next < 0) {
      errno = error;
      return -1;
    }
    directory = next;
    start = slash + 1;
  }
  int file = ::openat(directory, relative.c_str() + start, OPEN_FLAGS);
  int error = errno;
  if (directory != root) ::close(directory);
  errno = error;
  return file;
}

SourceFile read_source_file(std::string_view root, int root_directory,
                            std::string_view absolute_path) {
  SourceFile file;
  file.relative_path = bundle_relative_path(root, absolute_path);
  file.absolute_path = std::string(absolute_path);
  file.content = read_file(root_directory, below_root(root, absolute_path));
  if (auto* text = std::get_if<std::string>(&file.content); text && !is_valid_utf8(*text)) {
    file.content = ReadFailure{std::string(catalogue::NOT_UTF8)};
  }
  return file;
}

}  // namespace zav
