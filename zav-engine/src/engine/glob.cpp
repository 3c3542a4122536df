#include "engine/glob.hpp"

#include <optional>

#include "zav/text.hpp"

namespace zav {
namespace {

constexpr std::string_view UNCLOSED_ALTERNATES =
    "unclosed alternate group; missing '}' (maybe escape '{' with '[{]'?)";
constexpr std::string_view NESTED_ALTERNATES = "nested alternate groups are not allowed";
constexpr std::string_view DANGLING_ESCAPE = "dangling '\\'";

GlobToken simple_token(GlobTokenKind kind) {
  GlobToken token;
  token.kind = kind;
  return token;
}

GlobToken literal_token(char32_t c) {
  GlobToken token = simple_token(GlobTokenKind::literal);
  token.literal = c;
  return token;
}

std::u32string decode_chars(std::string_view text) {
  std::u32string chars;
  chars.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t length = 1;
    chars.push_back(decode_utf8(text, pos, length));
    pos += length;
  }
  return chars;
}

std::string invalid_range(char32_t first, char32_t last) {
  std::string reason = "invalid range; '";
  append_utf8(reason, first);
  reason += "' > '";
  append_utf8(reason, last);
  reason += "'";
  return reason;
}

// Reads a glob one character at a time. The stack holds the token list being
// built: one entry at the top level, and inside "{...}" one more entry per
// alternative seen so far.
class GlobParser {
 public:
  explicit GlobParser(std::u32string chars) : chars_(std::move(chars)) {}

  std::expected<GlobTokens, std::string> parse() {
    while (pos_ < chars_.size()) {
      char32_t c = chars_[pos_++];
      std::expected<void, std::string> step;
      switch (c) {
        case U'?':
          push(simple_token(GlobTokenKind::any));
          break;
        case U'*':
          parse_star();
          break;
        case U'[':
          step = parse_class();
          break;
        case U'{':
          if (stack_.size() > 1) return std::unexpected(std::string(NESTED_ALTERNATES));
          stack_.emplace_back();
          break;
        case U'}':
          close_alternates();
          break;
        case U',':
          if (stack_.size() > 1) {
            stack_.emplace_back();
          } else {
            push(literal_token(c));
          }
          break;
        case U'\\':
          if (pos_ >= chars_.size()) return std::unexpected(std::string(DANGLING_ESCAPE));
          push(literal_token(chars_[pos_++]));
          break;
        default:
          push(literal_token(c));
      }
      if (!step) return std::unexpected(std::move(step.error()));
    }
    if (stack_.size() > 1) return std::unexpected(std::string(UNCLOSED_ALTERNATES));
    return std::move(stack_.front());
  }

 private:
  std::optional<char32_t> peek() const {
    if (pos_ < chars_.size()) return chars_[pos_];
    return std::nullopt;
  }

  void push(GlobToken token) { stack_.back().push_back(std::move(token)); }

  void push_two_stars() {
    push(simple_token(GlobTokenKind::zero_or_more));
    push(simple_token(GlobTokenKind::zero_or_more));
  }

  // Called after a "*". A "**" is recursive only when it stands for a whole
  // path piece: at the start followed by "/" or the end, or after a "/" and
  // followed by "/", the end, or the end of an alternative. Any other "**" is
  // two plain stars.
  void parse_star() {
    std::size_t star = pos_ - 1;
    std::optional<char32_t> prev =
        star > 0 ? std::optional<char32_t>(chars_[star - 1]) : std::nullopt;
    if (peek() != U'*') {
      push(simple_token(GlobTokenKind::zero_or_more));
      return;
    }
    ++pos_;
    if (stack_.back().empty()) {
      if (peek().has_value() && *peek() != U'/') {
        push_two_stars();
      } else {
        push(simple_token(GlobTokenKind::recursive_prefix));
        if (peek().has_value()) ++pos_;
      }
      return;
    }
    if (prev != U'/' && (stack_.size() <= 1 || (prev != U',' && prev != U'{'))) {
      push_two_stars();
      return;
    }
    bool is_suffix = false;
    std::optional<char32_t> next = peek();
    if (!next.has_value()) {
      is_suffix = true;
    } else if ((*next == U',' || *next == U'}') && stack_.size() >= 2) {
      is_suffix = true;
    } else if (*next == U'/') {
      ++pos_;
    } else {
      push_two_stars();
      return;
    }
    // The "/" before the "**" (or a recursive token standing for it) is
    // replaced by the recursive token.
    GlobTokenKind last = stack_.back().back().kind;
    stack_.back().pop_back();
    if (last == GlobTokenKind::recursive_prefix || last == GlobTokenKind::recursive_suffix) {
      push(simple_token(last));
    } else {
      push(simple_token(is_suffix ? GlobTokenKind::recursive_suffix
                                  : GlobTokenKind::recursive_zero_or_more));
    }
  }

  // True when the class that starts at pos_ has a closing "]": a "]" right
  // after the "[" (or after its "!" or "^") belongs to the class.
  bool class_is_closed() const {
    std::size_t i = pos_;
    if (i < chars_.size() && (chars_[i] == U'!' || chars_[i] == U'^')) ++i;
    if (i < chars_.size() && chars_[i] == U']') ++i;
    return chars_.find(U']', i) != std::u32string::npos;
  }

  // Called after a "[". Without a closing "]" the "[" is a plain character.
  std::expected<void, std::string> parse_class() {
    if (!class_is_closed()) {
      push(literal_token(U'['));
      return {};
    }
    GlobToken token = simple_token(GlobTokenKind::char_class);
    if (chars_[pos_] == U'!' || chars_[pos_] == U'^') {
      token.negated = true;
      ++pos_;
    }
    std::vector<CharRange>& ranges = token.ranges;
    bool first = true;
    bool in_range = false;
    for (;;) {
      char32_t c = chars_[pos_++];
      if (c == U']' && !first) break;
      if (c == U'-' && !first && !in_range) {
        in_range = true;
      } else if (in_range) {
        // A "-" between two characters makes (or widens) a range.
        ranges.back().last = c;
        if (ranges.back().last < ranges.back().first) {
          return std::unexpected(invalid_range(ranges.back().first, ranges.back().last));
        }
        in_range = false;
      } else {
        ranges.push_back({c, c});
      }
      first = false;
    }
    if (in_range) ranges.push_back({U'-', U'-'});
    push(std::move(token));
    return {};
  }

  // A "}" ends the alternatives; one without a "{" adds an empty group.
  void close_alternates() {
    GlobToken token = simple_token(GlobTokenKind::alternates);
    while (stack_.size() >= 2) {
      token.alternatives.insert(token.alternatives.begin(), std::move(stack_.back()));
      stack_.pop_back();
    }
    push(std::move(token));
  }

  std::u32string chars_;
  std::size_t pos_ = 0;
  std::vector<GlobTokens> stack_ = std::vector<GlobTokens>(1);
};

void append_byte(std::string& re, unsigned char b) {
  static constexpr char HEX[] = "0123456789abcdef";
  bool plain = (b >= '0' && b <= '9') || (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z');
  if (plain) {
    re.push_back(static_cast<char>(b));
  } else {
    re += "\\x";
    re.push_back(HEX[b >> 4]);
    re.push_back(HEX[b & 0xF]);
  }
}

// A character as its UTF-8 bytes, each escaped. Inside a class this makes
// each byte a member of its own, so a class compares single bytes.
void append_char(std::string& re, char32_t c) {
  std::string bytes;
  append_utf8(bytes, c);
  for (char b : bytes) append_byte(re, static_cast<unsigned char>(b));
}

void append_class(std::string& re, const GlobToken& token) {
  re += token.negated ? "[^" : "[";
  for (const CharRange& range : token.ranges) {
    append_char(re, range.first);
    if (range.last != range.first) {
      re.push_back('-');
      append_char(re, range.last);
    }
  }
  re.push_back(']');
}

void append_alternates(std::string& re, const GlobToken& token) {
  std::string group;
  for (const GlobTokens& alternative : token.alternatives) {
    std::string part = glob_regex(alternative);
    if (part.empty()) continue;  // an empty alternative matches nothing of its own
    group += group.empty() ? "(?:" : "|";
    group += part;
  }
  if (!group.empty()) re += group + ")";
}

}  // namespace

std::expected<GlobTokens, std::string> parse_glob(std::string_view pattern) {
  return GlobParser(decode_chars(pattern)).parse();
}

std::string glob_regex(std::span<const GlobToken> tokens) {
  std::string re;
  for (const GlobToken& token : tokens) {
    switch (token.kind) {
      case GlobTokenKind::literal:
        append_char(re, token.literal);
        break;
      case GlobTokenKind::any:
        re += "[^/]";
        break;
      case GlobTokenKind::zero_or_more:
        re += "[^/]*";
        break;
      case GlobTokenKind::recursive_prefix:
        re += "(?:/?|.*/)";
        break;
      case GlobTokenKind::recursive_suffix:
        re += "/.*";
        break;
      case GlobTokenKind::recursive_zero_or_more:
        re += "(?:/|/.*/)";
        break;
      case GlobTokenKind::char_class:
        append_class(re, token);
        break;
      case GlobTokenKind::alternates:
        append_alternates(re, token);
        break;
    }
  }
  return re;
}

}  // namespace zav
