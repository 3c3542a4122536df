// Glob patterns of ignore rules: parsing into tokens, and translation of the
// tokens into a regular expression over the bytes of a path.
#pragma once

#include <expected>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zav {

enum class GlobTokenKind {
  literal,                 // one character
  any,                     // "?": one byte other than "/"
  zero_or_more,            // "*": any run of bytes without "/"
  recursive_prefix,        // "**/" at the start: zero or more leading directories
  recursive_suffix,        // "/**" at the end: everything below
  recursive_zero_or_more,  // "/**/" inside: zero or more directories between
  char_class,              // "[...]"
  alternates,              // "{a,b}"
};

struct CharRange {
  char32_t first;
  char32_t last;
};

struct GlobToken {
  GlobTokenKind kind = GlobTokenKind::literal;
  char32_t literal = 0;                              // literal
  bool negated = false;                              // char_class
  std::vector<CharRange> ranges;                     // char_class
  std::vector<std::vector<GlobToken>> alternatives;  // alternates
};

using GlobTokens = std::vector<GlobToken>;

// Parses a glob (UTF-8 text). On failure returns the reason, for instance
// "invalid range; 'z' > 'a'" or "dangling '\'".
std::expected<GlobTokens, std::string> parse_glob(std::string_view pattern);

// The expression (RE2 syntax, read as Latin-1 so that each byte stands for
// itself) that a whole path must match, without anchors.
std::string glob_regex(std::span<const GlobToken> tokens);

}  // namespace zav
