// The text of a literal or folded block scalar, made from its source lines.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zav {

struct BlockScalarStyle {
  bool folded = false;
  char chomping = 0;  // '-' strip, '+' keep, 0 clip
};

// `lines` are the scalar's lines after its header line, each ending in a
// line break (LF, CR LF or a lone CR); the last one may lack it. Content is
// indented by `indentation` spaces, or, when that is nothing, by as many as
// the first line that holds more than spaces. A line of spaces no longer
// than the indentation is an empty line; spaces past it are content.
std::string block_scalar_text(std::string_view lines, std::optional<std::size_t> indentation,
                              BlockScalarStyle style);

}  // namespace zav
