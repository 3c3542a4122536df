#include "engine/line_table.hpp"

#include <algorithm>

namespace zav {

LineTable::LineTable(std::string_view text) : text_(text) {
  std::size_t pos = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  std::size_t line_start = pos;
  while (pos < text.size()) {
    char c = text[pos];
    if (c == '\n' || c == '\r') {
      starts_.push_back(line_start);
      pos += (c == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;
      line_start = pos;
      continue;
    }
    if (c == '\0') nuls_.push_back(pos);
    ++pos;
  }
  if (line_start < text.size()) starts_.push_back(line_start);
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
