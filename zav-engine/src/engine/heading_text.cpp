#include "engine/heading_text.hpp"

#include <algorithm>

#include "engine/markdown_chars.hpp"
namespace zav {
namespace {

std::size_t trim_end(std::string_view text, std::size_t begin, std::size_t end) {
  while (end > begin && is_space_or_tab(text[end - 1])) --end;
  return end;
}

// Content that opens with a backslash escape starts at the escaped character: the backslash
// is markup, like the delimiters around the content.
SourceRange skip_leading_escape(std::string_view text, SourceRange range) {
  if (range.end - range.begin >= 2 && text[range.begin] == '\\' &&
      is_ascii_punctuation(text[range.begin + 1])) {
    ++range.begin;
  }
  return range;
}

}  // namespace

SourceRange atx_heading_content(std::string_view text, const LineTable& lines, std::size_t line,
                                std::size_t marker) {
  std::size_t end = lines.end(line);
  std::size_t begin = std::min(marker, end);
  while (begin < end && text[begin] != '#') ++begin;
  while (begin < end && text[begin] == '#') ++begin;
  while (begin < end && is_space_or_tab(text[begin])) ++begin;
  end = trim_end(text, begin, end);
  std::size_t closing = end;
  while (closing > begin && text[closing - 1] == '#') --closing;
  if (closing < end && (closing == begin || is_space_or_tab(text[closing - 1]))) {
    end = trim_end(text, begin, closing);
  }
  return skip_leading_escape(text, SourceRange{begin, end});
}

SourceRange setext_heading_content(std::string_view text, const LineTable& lines, std::size_t begin,
                                   std::size_t last_line) {
  std::size_t end = lines.end(last_line);
  begin = std::min(begin, end);
  end = trim_end(text, begin, end);
  return skip_leading_escape(text, SourceRange{begin, end});
}

}  // namespace zav
