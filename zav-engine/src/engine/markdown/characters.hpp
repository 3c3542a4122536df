// The character classes that Markdown's block and inline rules are written in.
#pragma once

#include <cstddef>
#include <string_view>

namespace zav::markdown {

inline bool is_space_or_tab(char c) {
  return c == ' ' || c == '\t';
}

inline bool is_line_end(char c) {
  return c == '\n' || c == '\r';
}

inline bool is_ascii_letter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

inline bool is_ascii_digit(char c) {
  return c >= '0' && c <= '9';
}

inline bool is_ascii_alphanumeric(char c) {
  return is_ascii_letter(c) || is_ascii_digit(c);
}

// The characters a backslash can escape.
inline bool is_ascii_punctuation(char c) {
  return (c >= '!' && c <= '/') || (c >= ':' && c <= '@') || (c >= '[' && c <= '`') ||
         (c >= '{' && c <= '~');
}

// A NUL stands for U+FFFD, so it is no control character here.
inline bool is_ascii_control(char c) {
  return (c > '\0' && c < ' ') || c == '\x7f';
}

inline char ascii_lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

// Whether `text` starts with `prefix`, ASCII letters compared without regard to case.
inline bool starts_with_ignoring_case(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (ascii_lower(text[i]) != ascii_lower(prefix[i])) return false;
  }
  return true;
}

}  // namespace zav::markdown
