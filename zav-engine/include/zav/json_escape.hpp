// The escapes of JSON strings shared by every JSON text the system writes:
// \" \\ \b \t \n \f \r, \u00xx with lower-case hex digits for the other bytes
// below 0x20, and every other byte ("/", DEL and UTF-8 included) as it is.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
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

// True when one of the eight bytes of `word` is '"', '\\' or below 0x20, the
// bytes that need an escape (a word with a byte of 0x80 or more may report
// true without one; it never reports false with one).
inline bool word_needs_escape(std::uint64_t word) {
  constexpr std::uint64_t ONES = 0x0101010101010101ULL, HIGHS = 0x8080808080808080ULL;
  auto has_zero_byte = [](std::uint64_t v) { return ((v - ONES) & ~v & HIGHS) != 0; };
  bool below_space = ((word - ONES * 0x20) & ~word & HIGHS) != 0;
  return below_space || has_zero_byte(word ^ (ONES * '"')) || has_zero_byte(word ^ (ONES * '\\'));
}

// Hands `write` the inside of the JSON string for `text` (no quotation marks):
// each maximal run of bytes that need no escape as one piece, then each escape.
template <typename Write>
void write_escaped_json_text(std::string_view text, Write&& write) {
  std::size_t run = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    // Eight bytes at a time while none of them needs an escape.
    while (text.size() - i >= 8) {
      std::uint64_t word;
      std::memcpy(&word, text.data() + i, 8);
      if (word_needs_escape(word)) break;
      i += 8;
    }
    if (i == text.size()) break;
    const JsonEscape& escape = JSON_ESCAPES[static_cast<unsigned char>(text[i])];
    if (escape.size == 0) continue;
    if (i > run) write(text.substr(run, i - run));
    write(std::string_view(escape.bytes, escape.size));
    run = i + 1;
  }
  if (run < text.size()) write(text.substr(run));
}

}  // namespace zav
