// The pieces of link syntax that inline links and link reference definitions share: labels,
// destinations, titles, the white space between them, and the decoding of a destination.
// Every scanner reads the inline content of one paragraph or heading, whose lines are joined by
// "\n", and returns the position just after what it read.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zav::markdown {

inline constexpr std::size_t MAX_LABEL_CHARACTERS = 999;

// Skips spaces and tabs with at most one line end among them.
std::size_t skip_spaces_and_line_end(std::string_view s, std::size_t pos);

// A link label "[...]" starting at `pos`: it ends at the first "]" that no backslash escapes,
// holds no unescaped "[" and at most 999 characters. Its text may still be blank.
std::optional<std::size_t> scan_link_label(std::string_view s, std::size_t pos);

struct Destination {
  std::string_view raw;  // as written, without enclosing angle brackets
  std::size_t end = 0;
};

// A link destination at `pos`: "<...>" on one line, or a non-empty run without spaces or ASCII
// control characters whose parentheses balance (at most 32 deep). An empty run is accepted only
// right before ")", where an inline link may leave its destination out.
std::optional<Destination> scan_link_destination(std::string_view s, std::size_t pos);

// Remembers, for each kind of title, a position after which no title of that kind can close, so
// that titles left open again and again are read once.
struct TitleScanMemo {
  std::size_t unclosed_double = std::string_view::npos;
  std::size_t unclosed_single = std::string_view::npos;
  std::size_t unclosed_parenthesis = std::string_view::npos;
};

// A link title at `pos`: "...", '...' or (...), with backslash escapes.
std::optional<std::size_t> scan_link_title(std::string_view s, std::size_t pos,
                                           TitleScanMemo& memo);

// A character reference at `pos` ("&name;", "&#digits;", "&#xhex;"): appends the characters it
// stands for and returns its end.
std::optional<std::size_t> decode_character_reference(std::string_view s, std::size_t pos,
                                                      std::string& out);

// Appends a destination as it reads: backslash escapes and character references resolved, a NUL
// read as U+FFFD, everything else as written.
void append_destination(std::string& out, std::string_view raw);

// The form in which labels are compared: Unicode case folding, the white space at both ends
// removed and each inner run of it made one space. `inner` is the label without its brackets.
// Empty for a blank label.
void normalize_label(std::string_view inner, std::string& out);

}  // namespace zav::markdown
