#include "engine/split/frontmatter_split.hpp"

#include "base/text.hpp"

namespace zav {
namespace {

// The line of `text` that starts at `start`: up to and including its line
// feed, or to the end of the text.
std::string_view line_at(std::string_view text, std::size_t start) {
  std::size_t feed = text.find('\n', start);
  std::size_t end = feed == std::string_view::npos ? text.size() : feed + 1;
  return text.substr(start, end - start);
}

std::string_view drop_suffix(std::string_view text, char c) {
  if (!text.empty() && text.back() == c) text.remove_suffix(1);
  return text;
}

}  // namespace

bool is_frontmatter_delimiter(std::string_view line) {
  if (line.empty()) return false;
  if (line.back() == '\n') {
    line.remove_suffix(1);
    if (line.empty()) return false;
  }
  line = drop_suffix(line, '\r');
  if (!line.starts_with("---")) return false;
  for (char c : line.substr(3)) {
    if (c != ' ' && c != '\t') return false;
  }
  return true;
}

std::optional<FrontmatterSplit> split_frontmatter(std::string_view text) {
  if (text.starts_with(BYTE_ORDER_MARK)) text.remove_prefix(BYTE_ORDER_MARK.size());
  std::string_view opening = line_at(text, 0);
  if (opening.empty() || opening.back() != '\n' || !is_frontmatter_delimiter(opening)) {
    return std::nullopt;
  }
  std::size_t yaml_start = opening.size();
  // A text that ends in a line feed has one more, empty, line after it; it
  // is never a delimiter, so the scan may stop at the end of the text.
  for (std::size_t start = yaml_start; start < text.size();) {
    std::string_view line = line_at(text, start);
    if (is_frontmatter_delimiter(line)) {
      std::string_view yaml = text.substr(yaml_start, start - yaml_start);
      yaml = drop_suffix(drop_suffix(yaml, '\n'), '\r');
      return FrontmatterSplit{yaml, text.substr(start + line.size())};
    }
    start += line.size();
  }
  return std::nullopt;
}

}  // namespace zav
