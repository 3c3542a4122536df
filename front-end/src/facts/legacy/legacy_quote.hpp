// Text shown inside an error message, in double quotes with escapes.
#pragma once

#include <string>
#include <string_view>

namespace zav {

// `text` (UTF-8) in double quotes. The quotation mark and the backslash are
// escaped with a backslash, NUL, tab, carriage return and line feed as \0 \t
// \r \n, and every character that does not print (controls, format
// characters, separators other than the space, private-use, unassigned and
// combining characters) as \u{hex}; the rest stays as it is.
std::string quote_for_message(std::string_view text);

}  // namespace zav
