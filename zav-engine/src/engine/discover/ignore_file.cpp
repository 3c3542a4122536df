#include "engine/discover/ignore_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <optional>

#include "base/files.hpp"
#include "base/os_error.hpp"
#include "base/text.hpp"

namespace zav {
namespace {

// Turns lines into rules and gathers the errors, each behind the file's path
// and the line number.
class LineCollector {
 public:
  explicit LineCollector(std::string path_text) : path_text_(std::move(path_text)) {}

  void add(std::string_view line) {
    ++number_;
    if (number_ == 1) {
      while (line.substr(0, BYTE_ORDER_MARK.size()) == BYTE_ORDER_MARK) {
        line.remove_prefix(BYTE_ORDER_MARK.size());
      }
    }
    auto rule = parse_ignore_line(line);
    if (!rule) {
      fail_line(number_, rule.error());
    } else if (rule->has_value()) {
      rules_.push_back(std::move(**rule));
    }
  }

  // An error for the line after the last one added; nothing is added later.
  void fail_next_line(std::string_view error) { fail_line(number_ + 1, error); }

  std::expected<std::vector<IgnoreRule>, std::string> result() && {
    if (!errors_.empty()) return std::unexpected(std::move(errors_));
    return std::move(rules_);
  }

 private:
  void fail_line(std::size_t number, std::string_view error) {
    if (!errors_.empty()) errors_.push_back('\n');
    errors_ += path_text_ + ": line " + std::to_string(number) + ": ";
    errors_ += error;
  }

  std::string path_text_;
  std::size_t number_ = 0;
  std::vector<IgnoreRule> rules_;
  std::string errors_;
};

// Hands one line (without its "\n") to the collector; a "\r" before the
// "\n" belongs to the line end. Returns false when the line is not UTF-8,
// which ends the reading.
bool take_line(LineCollector& lines, std::string_view line, bool ended_by_line_feed) {
  if (!is_valid_utf8(line)) {
    lines.fail_next_line(STREAM_NOT_UTF8);
    return false;
  }
  if (ended_by_line_feed && !line.empty() && line.back() == '\r') line.remove_suffix(1);
  lines.add(line);
  return true;
}

}  // namespace

std::expected<std::vector<IgnoreRule>, std::string> read_ignore_file(const std::string& path) {
  if (!is_regular_file(path)) return std::vector<IgnoreRule>{};
  // O_NONBLOCK and the second look: what stands at the path may have changed since, and a FIFO
  // must neither block the open nor be read.
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (file.get() < 0) return std::unexpected(utf8_lossy(path) + ": " + os_error_text(errno));
  struct stat status {};
  if (::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
    return std::vector<IgnoreRule>{};
  }

  LineCollector lines(utf8_lossy(path));
  std::string pending;  // bytes of the line not yet ended
  char chunk[65536];
  for (;;) {
    ssize_t count = ::read(file.get(), chunk, sizeof chunk);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) {
      lines.fail_next_line(os_error_text(errno));
      break;
    }
    if (count == 0) {
      if (!pending.empty()) take_line(lines, pending, false);
      break;
    }
    // Only the new bytes can hold the line feed that ends the pending line.
    std::size_t search_from = pending.size();
    pending.append(chunk, static_cast<std::size_t>(count));
    std::size_t start = 0;
    bool reading = true;
    for (std::size_t end = pending.find('\n', search_from); reading && end != std::string::npos;
         end = pending.find('\n', start)) {
      reading = take_line(lines, std::string_view(pending).substr(start, end - start), true);
      start = end + 1;
    }
    if (!reading) break;
    pending.erase(0, start);
  }
  return std::move(lines).result();
}

}  // namespace zav
