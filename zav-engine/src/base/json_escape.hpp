// The escapes of JSON strings shared by every JSON text the system writes:
// \" \\ \b \t \n \f \r, \u00xx with lower-case hex digits for the other bytes
// below 0x20, and every other byte ("/", DEL and UTF-8 included) as it is.
#pragma once

#include <emmintrin.h>

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

// The position of the first byte at or after `from` that needs an escape
// ('"', '\\' or a byte below 0x20), or the text's size when there is none.
// Sixteen bytes are looked at in one step.
inline std::size_t find_json_escape(std::string_view text, std::size_t from) {
  const char* data = text.data();
  const __m128i quote = _mm_set1_epi8('"');
  const __m128i backslash = _mm_set1_epi8('\\');
  const __m128i below_space = _mm_set1_epi8(0x1F);
  std::size_t i = from;
  for (; text.size() - i >= 16; i += 16) {
    __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
    __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(chunk, below_space), chunk);
    __m128i special = _mm_or_si128(_mm_cmpeq_epi8(chunk, quote), _mm_cmpeq_epi8(chunk, backslash));
    int mask = _mm_movemask_epi8(_mm_or_si128(control, special));
    if (mask != 0) return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
  }
  for (; i < text.size(); ++i) {
    if (JSON_ESCAPES[static_cast<unsigned char>(data[i])].size != 0) return i;
  }
  return text.size();
}

// Hands `write` the inside of the JSON string for `text` (no quotation marks):
// each maximal run of bytes that need no escape as one piece, then each escape.
template <typename Write>
void write_escaped_json_text(std::string_view text, Write&& write) {
  std::size_t run = 0;
  for (std::size_t i = find_json_escape(text, 0); i < text.size();
       i = find_json_escape(text, run)) {
    if (i > run) write(text.substr(run, i - run));
    const JsonEscape& escape = JSON_ESCAPES[static_cast<unsigned char>(text[i])];
    write(std::string_view(escape.bytes, escape.size));
    run = i + 1;
  }
  if (run < text.size()) write(text.substr(run));
}

}  // namespace zav
