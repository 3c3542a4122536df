#include "yaml/block_scalar.hpp"

#include <algorithm>

#include "yaml/yaml_source.hpp"

namespace zav {
namespace {

struct Line {
  std::string_view text;  // without its line break
  bool broken;            // a line break ends it
};

// The line that starts at `start`; `next` is set to the start of the one after.
Line line_at(std::string_view lines, std::size_t start, std::size_t& next) {
  std::size_t end = std::min(lines.find('\n', start), lines.size());
  end = std::min(lines.substr(0, end).find('\r', start), end);
  next = end;
  if (end < lines.size()) next += lines.compare(end, 2, "\r\n") == 0 ? 2 : 1;
  return {lines.substr(start, end - start), end < lines.size()};
}

std::size_t leading_spaces(std::string_view line) {
  std::size_t spaces = 0;
  while (spaces < line.size() && line[spaces] == ' ') ++spaces;
  return spaces;
}

// The indentation of the first line that holds more than spaces; the
// longest line of spaces when there is none.
std::size_t detect_indentation(std::string_view lines) {
  std::size_t longest = 0;
  for (std::size_t start = 0, next = 0; start < lines.size(); start = next) {
    Line line = line_at(lines, start, next);
    std::size_t spaces = leading_spaces(line.text);
    if (spaces < line.text.size()) return spaces;
    longest = std::max(longest, spaces);
  }
  return longest;
}

}  // namespace

std::string block_scalar_text(std::string_view lines, std::optional<std::size_t> indentation,
                              BlockScalarStyle style) {
  std::size_t indent = indentation ? *indentation : detect_indentation(lines);
  std::string text;
  text.reserve(lines.size());
  std::size_t breaks = 0;  // line breaks not yet written
  bool content = false;
  for (std::size_t start = 0, next = 0; start < lines.size(); start = next) {
    Line line = line_at(lines, start, next);
    std::size_t spaces = leading_spaces(line.text);
    if (spaces == line.text.size() && spaces <= indent) {
      // An empty line; one at the very end without a line break is none.
      if (line.broken) ++breaks;
      continue;
    }
    text.append(breaks, '\n');
    text.append(line.text.substr(std::min(spaces, indent)));
    breaks = 1;
    content = true;
  }
  if (style.chomping == '+') {
    text.append(breaks, '\n');
  } else if (style.chomping == 0 && content) {
    text.push_back('\n');
  }
  return style.folded ? fold_block_lines(text) : text;
}

}  // namespace zav
