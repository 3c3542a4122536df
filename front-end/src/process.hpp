// What the program keeps of its process: the argument vector, the heap's
// tuning for an engine command, and the one standard-output stream, a
// 1024-byte buffer in front of descriptor 1 written under its lock.
#pragma once

#include <array>
#include <cstddef>
#include <cstring>
#include <expected>
#include <mutex>
#include <span>
#include <string_view>

namespace zav {

// The argument vector as raw byte strings, program name first: kept by the
// start-up before dispatch, and read by each road itself.
// Tunes the allocator for one engine command, before any thread starts:
// one heap for all threads, never trimmed, its first gigabyte of addresses
// reserved and marked for huge pages (see process.cpp).
void prepare_heap_for_one_command();

void keep_process_arguments(int argc, char** argv);
std::span<const std::string_view> process_arguments();

// The errno of a failed write.
struct WriteError {
  int error_number;
};

using WriteResult = std::expected<void, WriteError>;

class OutputStream {
 public:
  static constexpr std::size_t BUFFER_SIZE = 1024;

  explicit OutputStream(int fd) : fd_(fd) {}

  // A piece shorter than BUFFER_SIZE that fits the free space is buffered
  // (the buffer may fill completely). Any other piece first sends the buffer;
  // a piece of BUFFER_SIZE bytes or more then goes straight to the
  // descriptor, even when the buffer was empty. A piece holding a line feed
  // sends everything up to its last line feed at once.
  WriteResult write(std::string_view piece);
  // The same for a piece that holds no line feed, as every piece of a JSON
  // document: the common case is one copy into the buffer.
  WriteResult write_without_line_feed(std::string_view piece) {
    if (piece.size() < BUFFER_SIZE && piece.size() <= BUFFER_SIZE - used_) {
      std::memcpy(buffer_.data() + used_, piece.data(), piece.size());
      used_ += piece.size();
      return {};
    }
    return append(piece);
  }
  WriteResult flush();

  std::size_t free_space() const { return BUFFER_SIZE - used_; }
  std::mutex& lock() { return mutex_; }

 private:
  WriteResult append(std::string_view piece);

  int fd_;
  std::array<char, BUFFER_SIZE> buffer_{};
  std::size_t used_ = 0;
  std::mutex mutex_;
};

// Writes all of `bytes` to `fd`, continuing partial writes and repeating
// interrupted ones.
WriteResult write_fully(int fd, std::string_view bytes);

OutputStream& standard_output();

// Sends whatever standard output still buffers; the start-up registers it
// to run when the process ends.
void flush_standard_output_at_exit();

}  // namespace zav
