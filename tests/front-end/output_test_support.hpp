// An output stream on an in-memory file, for reading back what reached the
// descriptor.
#pragma once

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "stdout_stream.hpp"

namespace zav::test {

class MemoryDescriptor {
 public:
  MemoryDescriptor() : fd_(::memfd_create("zav-output", MFD_CLOEXEC)) {}
  ~MemoryDescriptor() { ::close(fd_); }
  MemoryDescriptor(const MemoryDescriptor&) = delete;
  MemoryDescriptor& operator=(const MemoryDescriptor&) = delete;

  int fd() const { return fd_; }
  // Everything written to the descriptor so far.
  std::string contents() const {
    struct stat status {};
    ::fstat(fd_, &status);
    std::string bytes(static_cast<std::size_t>(status.st_size), '\0');
    ssize_t got = ::pread(fd_, bytes.data(), bytes.size(), 0);
    bytes.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
    return bytes;
  }

 private:
  int fd_;
};

// A stream with its descriptor; `document()` flushes and reads it all back.
struct MemoryStream {
  MemoryDescriptor descriptor;
  OutputStream stream{descriptor.fd()};

  std::string document() {
    (void)stream.flush();
    return descriptor.contents();
  }
};

}  // namespace zav::test
