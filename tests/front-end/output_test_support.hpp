// An output stream on an in-memory file, for reading back what reached the
// descriptor.
#pragma once

#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "process.hpp"

namespace zav::test {

// The bytes that the stream holds back in its buffer.
inline std::size_t buffered(const OutputStream& stream) {
  return OutputStream::BUFFER_SIZE - stream.free_space();
}

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

// A descriptor that keeps each write(2) apart: one end of a pair of
// sequenced-packet sockets, where every write is a record of its own. The
// socket's buffer holds documents of a few kilobytes.
class PacketDescriptor {
 public:
  PacketDescriptor() {
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends_) != 0)
      ends_[0] = ends_[1] = -1;
  }
  ~PacketDescriptor() {
    ::close(ends_[0]);
    ::close(ends_[1]);
  }
  PacketDescriptor(const PacketDescriptor&) = delete;
  PacketDescriptor& operator=(const PacketDescriptor&) = delete;

  int fd() const { return ends_[0]; }
  // The size of each write that reached the descriptor, in order.
  std::vector<std::size_t> write_sizes() const {
    std::vector<std::size_t> sizes;
    char record[1];
    for (;;) {
      ssize_t size = ::recv(ends_[1], record, sizeof record, MSG_DONTWAIT | MSG_TRUNC);
      if (size < 0) break;
      sizes.push_back(static_cast<std::size_t>(size));
    }
    return sizes;
  }

 private:
  int ends_[2];
};

// A stream whose writes can be told apart; `writes()` flushes it and gives
// the size of each write.
struct PacketStream {
  PacketDescriptor descriptor;
  OutputStream stream{descriptor.fd()};

  std::vector<std::size_t> writes() {
    (void)stream.flush();
    return descriptor.write_sizes();
  }
};

}  // namespace zav::test
