// The text of a quoted YAML scalar, decoded from its source: the content
// between the opening and the closing quote, which the parser has already
// accepted. The parser's own text is not used for these scalars: it
// misreads runs of "''" and some CR LF line breaks, and leaks memory on them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zav {

// "''" is one quote; line breaks fold (one break is a space, each further
// empty line a line feed), white space around a break is dropped.
std::string decode_single_quoted(std::string_view content);

// The same folding, with escape sequences resolved and "\" before a line
// break joining the lines. Nothing when an escape is not one of YAML's.
std::optional<std::string> decode_double_quoted(std::string_view content);

}  // namespace zav
