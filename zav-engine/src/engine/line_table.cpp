#include "engine/line_table.hpp"

#include <algorithm>
#include <cstring>

namespace zav {

namespace {

// The offset of the first `c` at or after `from`, or `text.size()`.
std::size_t find_byte(std::string_view text, std::size_t from, char c) {
  const void* found = std::memchr(text.data() + from, c, text.size() - from);
  return found != nullptr ? static_cast<std::size_t>(static_cast<const char*>(found) - text.data())
                          : text.size();
}

}  // namespace

// Line ends and NULs are found with memchr, which scans many bytes at a time;
// the next LF and CR are remembered so that no byte is scanned twice.
LineTable::LineTable(std::string_view text) : text_(text) {
  std::size_t pos = 0;
  for (std::size_t nul = find_byte(text, pos, '\0'); nul < text.size();
       nul = find_byte(text, nul + 1, '\0')) {
    nuls_.push_back(nul);
  }
  std::size_t next_lf = find_byte(text, pos, '\n');
  std::size_t next_cr = find_byte(text, pos, '\r');
  while (pos < text.size()) {
    starts_.push_back(pos);
    std::size_t line_end = std::min(next_lf, next_cr);
    if (line_end == text.size()) break;
    pos = line_end + 1;
    if (line_end == next_cr && pos < text.size() && text[pos] == '\n') ++pos;
    if (next_lf < pos) next_lf = find_byte(text, pos, '\n');
    if (next_cr < pos) next_cr = find_byte(text, pos, '\r');
  }
}

std::size_t LineTable::start(std::size_t line) const {
  if (line == 0) return starts_.empty() ? text_.size() : starts_.front();
  return line <= starts_.size() ? starts_[line - 1] : text_.size();
}

std::size_t LineTable::next(std::size_t line) const {
  if (line == 0) return start(1);
  return line < starts_.size() ? starts_[line] : text_.size();
}

std::size_t LineTable::end(std::size_t line) const {
  std::size_t begin = start(line), after = next(line);
  if (after > begin && text_[after - 1] == '\n') --after;
  if (after > begin && text_[after - 1] == '\r') --after;
  return after;
}

std::size_t LineTable::offset_of_column(std::size_t line, int column) const {
  std::size_t begin = start(line), stop = end(line);
  std::size_t wanted = column > 1 ? static_cast<std::size_t>(column - 1) : 0;
  auto nul = std::lower_bound(nuls_.begin(), nuls_.end(), begin);
  if (nul == nuls_.end() || *nul >= stop) return std::min(begin + wanted, stop);
  std::size_t pos = begin, counted = 0;
  while (pos < stop && counted < wanted) {
    counted += text_[pos] == '\0' ? 3 : 1;
    ++pos;
  }
  return pos;
}

}  // namespace zav
