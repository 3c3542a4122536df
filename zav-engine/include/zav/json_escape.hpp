// The escapes of JSON strings shared by every JSON text the system writes:
// \" \\ \b \t \n \f \r, \u00xx with lower-case hex digits for the other bytes
// below 0x20, and every other byte ("/", DEL and UTF-8 included) as it is.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace zav {

struct JsonEscape {
  char bytes[6];
  std::uint8_t size;  // 0: the byte needs no escape
};

inline constexpr std::array<JsonEscape, 256> JSON_ESCAPES = [] {
  constexpr std::string_view HEX_DIGITS = "0123456789abcdef";
  std::array<JsonEscape, 256> table{};
  for (int byte = 0; byte < 0x20; ++byte) {
    table[byte] = {{'\\', 'u', '0', '0', HEX_DIGITS[byte >> 4], HEX_DIGITS[byte & 0xF]}, 6};
  }
  constexpr std::string_view SHORT_ESCAPED = "\"\\\b\t\n\f\r";
  constexpr std::string_view SHORT_LETTERS = "\"\\btnfr";
  for (std::size_t i = 0; i < SHORT_ESCAPED.size(); ++i) {
    table[static_cast<unsigned char>(SHORT_ESCAPED[i])] = {{'\\', SHORT_LETTERS[i]}, 2};
  }
  return table;
}();

// Hands `write` the inside of the JSON string for `text` (no quotation marks):
// each maximal run of bytes that need no escape as one piece, then each escape.
template <typename Write>
void write_escaped_json_text(std::string_view text, Write&& write) {
  std::size_t run = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const JsonEscape& escape = JSON_ESCAPES[static_cast<unsigned char>(text[i])];
    if (escape.size == 0) continue;
    if (i > run) write(text.substr(run, i - run));
    write(std::string_view(escape.bytes, escape.size));
    run = i + 1;
  }
  if (run < text.size()) write(text.substr(run));
}

}  // namespace zav
