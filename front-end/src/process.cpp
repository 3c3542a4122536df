#include "process.hpp"

#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <vector>

namespace zav {
namespace {

std::vector<std::string_view>& arguments() {
  static std::vector<std::string_view> kept;
  return kept;
}

}  // namespace

void keep_process_arguments(int argc, char** argv) {
  arguments().assign(argv, argv + argc);
}

std::span<const std::string_view> process_arguments() {
  return arguments();
}

WriteResult write_fully(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return std::unexpected(WriteError{errno});
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return {};
}

WriteResult OutputStream::flush() {
  if (used_ == 0) return {};
  std::size_t used = used_;
  // The buffer counts as sent even when the write fails: a failed document is
  // abandoned, and its rest must not reach the descriptor later.
  used_ = 0;
  return write_fully(fd_, std::string_view(buffer_.data(), used));
}

WriteResult OutputStream::append(std::string_view piece) {
  if (piece.size() < BUFFER_SIZE && piece.size() <= BUFFER_SIZE - used_) {
    std::memcpy(buffer_.data() + used_, piece.data(), piece.size());
    used_ += piece.size();
    return {};
  }
  if (auto sent = flush(); !sent) return sent;
  if (piece.size() >= BUFFER_SIZE) return write_fully(fd_, piece);
  std::memcpy(buffer_.data(), piece.data(), piece.size());
  used_ = piece.size();
  return {};
}

WriteResult OutputStream::write(std::string_view piece) {
  std::size_t last_line_feed = piece.rfind('\n');
  if (last_line_feed == std::string_view::npos) return append(piece);
  std::string_view lines = piece.substr(0, last_line_feed + 1);
  if (auto sent = append(lines); !sent) return sent;
  if (auto sent = flush(); !sent) return sent;
  return append(piece.substr(last_line_feed + 1));
}

OutputStream& standard_output() {
  static OutputStream stream(STDOUT_FILENO);
  return stream;
}

void flush_standard_output_at_exit() {
  (void)standard_output().flush();
}

}  // namespace zav
