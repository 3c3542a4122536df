// Small text helpers shared by the engine and the front end: UTF-8 checks and repair, the
// Unicode White_Space set used wherever the engine trims, and the hash of texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace zav {

// The UTF-8 encoding of U+FEFF, which may open a text.
inline constexpr std::string_view BYTE_ORDER_MARK = "\xEF\xBB\xBF";

// Hashes std::string and std::string_view alike, so that a map or set keyed
// by std::string is searched with a view, without a copy.
struct TextHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const {
    return std::hash<std::string_view>{}(text);
  }
};

bool is_valid_utf8(std::string_view bytes);

// The bytes as text, each maximal invalid UTF-8 subsequence replaced by one
// U+FFFD.
std::string utf8_lossy(std::string_view bytes);

// True for the characters with the Unicode White_Space property.
bool is_white_space(char32_t c);

// Decodes the character at `pos` of valid UTF-8 text; sets `length` to its size.
char32_t decode_utf8(std::string_view text, std::size_t pos, std::size_t& length);

// Appends the UTF-8 encoding of the code point `c`.
void append_utf8(std::string& out, char32_t c);

// The value of a hexadecimal digit (either case), or -1.
int hex_digit_value(char c);

// Removes White_Space characters from both ends / from the start / from the end.
std::string_view trim_white_space(std::string_view text);
std::string_view trim_white_space_start(std::string_view text);
std::string_view trim_white_space_end(std::string_view text);

}  // namespace zav
