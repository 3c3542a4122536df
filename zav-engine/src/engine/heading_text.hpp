// The source range of a heading's content: from its first character to its last, with the
// heading markers and the white space around the content left out.
#pragma once

#include <cstddef>
#include <string_view>

#include "engine/line_table.hpp"

namespace zav {

struct SourceRange {
  std::size_t begin = 0;
  std::size_t end = 0;  // begin == end: the heading has no content
};

// An ATX heading whose first "#" stands at `marker`: the content after the opening "#" signs and
// the spaces or tabs after them, before an optional closing run of "#" signs that follows a space
// or tab (or makes up the whole content) and before trailing spaces and tabs.
SourceRange atx_heading_content(std::string_view text, const LineTable& lines, std::size_t line,
                                std::size_t marker);

// A heading underlined with "=" or "-": from the content's first character at `begin` to the last
// character other than a space or tab on `last_line`, the line above the underline.
SourceRange setext_heading_content(std::string_view text, const LineTable& lines, std::size_t begin,
                                   std::size_t last_line);

}  // namespace zav
