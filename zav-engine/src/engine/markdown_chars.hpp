// The character classes of CommonMark's block and inline rules that the facts code reads the
// source with.
#pragma once

namespace zav {

inline bool is_space_or_tab(char c) {
  return c == ' ' || c == '\t';
}

// The characters a backslash can escape.
inline bool is_ascii_punctuation(char c) {
  return (c >= '!' && c <= '/') || (c >= ':' && c <= '@') || (c >= '[' && c <= '`') ||
         (c >= '{' && c <= '~');
}

}  // namespace zav
