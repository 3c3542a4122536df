// Files: an owned descriptor, the type of what a path names, and reading
// everything that an open descriptor holds.
#pragma once

#include <cstddef>
#include <expected>
#include <string>

namespace zav {

// Owns an open descriptor, or -1, and closes it when it goes.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor();
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const { return fd_; }
  // Gives the descriptor up to a new owner.
  int release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

// Whether `path` names a regular file, or a directory, once symbolic links are
// followed; false when its status cannot be taken.
bool is_regular_file(const std::string& path);
bool is_directory(const std::string& path);

// Reads `fd` to its end, repeating interrupted reads. A regular file's size
// sizes the buffer at once, so a whole file costs one allocation. Fails with
// the errno of the failed read; may throw std::bad_alloc.
std::expected<std::string, int> read_descriptor(int fd);

// The same for a regular file whose size the caller has just taken.
std::expected<std::string, int> read_regular_file(int fd, std::size_t size);

}  // namespace zav
