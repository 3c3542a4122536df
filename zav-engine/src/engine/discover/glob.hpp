// Glob patterns of ignore rules: parsing into tokens, and translation of the
// tokens into a regular expression over the bytes of a path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zav {

enum class GlobTokenKind : std::uint8_t {
  literal,                 // one character
  any,                     // "?": one byte other than "/"
  zero_or_more,            // "*": any run of bytes without "/"
  recursive_prefix,        // "**/" at the start: zero or more leading directories
  recursive_suffix,        // "/**" at the end: everything below
  recursive_zero_or_more,  // "/**/" inside: zero or more directories between
  char_class,              // "[...]"
  alternates_open,         // "{": the first alternative follows
  alternates_next,         // ",": the next alternative follows
  alternates_close,        // "}"
};

struct CharRange {
  char32_t first;
  char32_t last;
};

// One element of a glob. Tokens stay small, since a pattern may be long: a
// class keeps its ranges in the Glob, and `part` is its position there.
struct GlobToken {
  GlobTokenKind kind = GlobTokenKind::literal;
  char32_t literal = 0;  // literal
  std::size_t part = 0;  // char_class: the position in Glob::classes
};

using GlobTokens = std::vector<GlobToken>;

struct GlobClass {
  bool negated = false;
  std::size_t first_range = 0;  // its ranges in Glob::ranges
  std::size_t range_count = 0;
};

// A parsed glob: one flat list of tokens, a group of alternatives written
// as its opening, separating and closing tokens around the alternatives'
// own tokens (groups do not nest). Consecutive "*" tokens are merged into
// one, which matches the same.
struct Glob {
  GlobTokens tokens;
  std::vector<GlobClass> classes;
  std::vector<CharRange> ranges;
};

// Parses a glob (UTF-8 text) in time linear in its length. On failure
// returns the reason, for instance "invalid range; 'z' > 'a'" or
// "dangling '\'".
std::expected<Glob, std::string> parse_glob(std::string_view pattern);

// The expression (RE2 syntax, read as Latin-1 so that each byte stands for
// itself) that a whole path must match, without anchors, for `tokens`: all
// of `glob.tokens` or a part that does not cut through a group.
std::string glob_regex(const Glob& glob, std::span<const GlobToken> tokens);

}  // namespace zav
