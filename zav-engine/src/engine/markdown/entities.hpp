// HTML5 named character references, as Markdown decodes them in link destinations, titles and
// text: "&amp;", "&ngE;" and the rest of the HTML5 list, each written with its ";".
#pragma once

#include <optional>
#include <string_view>

namespace zav::markdown {

// The UTF-8 text that "&" `name` ";" stands for ("amp" gives "&", "ngE" gives U+2267 U+0338),
// or nothing when `name` is not a known name (names are case-sensitive). The text lives as long
// as the program.
std::optional<std::string_view> named_character_reference(std::string_view name);

}  // namespace zav::markdown
