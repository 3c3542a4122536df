#include "engine/discover/glob.hpp"

#include <optional>
#include <utility>

#include "base/text.hpp"

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

std::string invalid_range(char32_t first, char32_t last) {
  std::string reason = "invalid range; '";
  append_utf8(reason, first);
  reason += "' > '";
  append_utf8(reason, last);
  reason += "'";
  return reason;
}

// Reads a glob (valid UTF-8) one character at a time, each character once.
// Every character with a meaning of its own is ASCII, so the parser looks at
// bytes and decodes a character only where it becomes part of a token.
// "The current list" is the alternative being read inside "{...}", else the
// whole glob.
class GlobParser {
 public:
  explicit GlobParser(std::string_view text) : text_(text), last_bracket_(text.rfind(']')) {
    // Few patterns have more tokens than bytes; the room is only reserved.
    tokens().reserve(text_.size());
  }

  std::expected<Glob, std::string> parse() {
    while (pos_ < text_.size()) {
      char32_t c = next_char();
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
          if (in_group_) return std::unexpected(std::string(NESTED_ALTERNATES));
          open_alternative(GlobTokenKind::alternates_open);
          in_group_ = true;
          break;
        case U'}':
          // One without a "{" adds an empty group.
          if (!in_group_) open_alternative(GlobTokenKind::alternates_open);
          push(simple_token(GlobTokenKind::alternates_close));
          in_group_ = false;
          break;
        case U',':
          if (in_group_) {
            open_alternative(GlobTokenKind::alternates_next);
          } else {
            push(literal_token(c));
          }
          break;
        case U'\\':
          if (pos_ >= text_.size()) return std::unexpected(std::string(DANGLING_ESCAPE));
          push(literal_token(next_char()));
          break;
        default:
          push(literal_token(c));
      }
      if (!step) return std::unexpected(std::move(step.error()));
    }
    if (in_group_) return std::unexpected(std::string(UNCLOSED_ALTERNATES));
    return std::move(glob_);
  }

 private:
  GlobTokens& tokens() { return glob_.tokens; }

  // The character at pos_, which moves past it.
  char32_t next_char() {
    auto byte = static_cast<unsigned char>(text_[pos_]);
    if (byte < 0x80) {
      ++pos_;
      return byte;
    }
    std::size_t length = 1;
    char32_t c = decode_utf8(text_, pos_, length);
    pos_ += length;
    return c;
  }

  // The byte at `at`: an ASCII character, or a byte of a longer one, which
  // equals no ASCII character.
  char32_t byte_at(std::size_t at) const { return static_cast<unsigned char>(text_[at]); }

  std::optional<char32_t> peek() const {
    if (pos_ < text_.size()) return byte_at(pos_);
    return std::nullopt;
  }

  bool current_is_empty() const {
    return in_group_ ? glob_.tokens.size() == alternative_start_ : glob_.tokens.empty();
  }

  // A "*" right after a "*" of the same list adds nothing.
  void push(GlobToken token) {
    if (token.kind == GlobTokenKind::zero_or_more && !current_is_empty() &&
        tokens().back().kind == GlobTokenKind::zero_or_more) {
      return;
    }
    tokens().push_back(token);
  }

  void open_alternative(GlobTokenKind kind) {
    push(simple_token(kind));
    alternative_start_ = tokens().size();
  }

  // Called after a "*". A "**" is recursive only when it stands for a whole
  // path piece: at the start followed by "/" or the end, or after a "/" and
  // followed by "/", the end, or the end of an alternative. Any other "**" is
  // two plain stars, which match what one does.
  void parse_star() {
    std::size_t star = pos_ - 1;
    std::optional<char32_t> prev =
        star > 0 ? std::optional<char32_t>(byte_at(star - 1)) : std::nullopt;
    if (peek() != U'*') {
      push(simple_token(GlobTokenKind::zero_or_more));
      return;
    }
    ++pos_;
    if (current_is_empty()) {
      if (peek().has_value() && *peek() != U'/') {
        push(simple_token(GlobTokenKind::zero_or_more));
      } else {
        push(simple_token(GlobTokenKind::recursive_prefix));
        if (peek().has_value()) ++pos_;
      }
      return;
    }
    if (prev != U'/' && (!in_group_ || (prev != U',' && prev != U'{'))) {
      push(simple_token(GlobTokenKind::zero_or_more));
      return;
    }
    bool is_suffix = false;
    std::optional<char32_t> next = peek();
    if (!next.has_value()) {
      is_suffix = true;
    } else if ((*next == U',' || *next == U'}') && in_group_) {
      is_suffix = true;
    } else if (*next == U'/') {
      ++pos_;
    } else {
      push(simple_token(GlobTokenKind::zero_or_more));
      return;
    }
    // The "/" before the "**" (or a recursive token standing for it) is
    // replaced by the recursive token.
    GlobTokenKind last = tokens().back().kind;
    tokens().pop_back();
    if (last == GlobTokenKind::recursive_prefix || last == GlobTokenKind::recursive_suffix) {
      push(simple_token(last));
    } else {
      push(simple_token(is_suffix ? GlobTokenKind::recursive_suffix
                                  : GlobTokenKind::recursive_zero_or_more));
    }
  }

  // True when the class that starts at pos_ has a closing "]": a "]" right
  // after the "[" (or after its "!" or "^") belongs to the class. Only the
  // last "]" of the pattern needs looking at.
  bool class_is_closed() const {
    std::size_t i = pos_;
    if (i < text_.size() && (text_[i] == '!' || text_[i] == '^')) ++i;
    if (i < text_.size() && text_[i] == ']') ++i;
    return last_bracket_ != std::string_view::npos && last_bracket_ >= i;
  }

  // Called after a "[". Without a closing "]" the "[" is a plain character.
  std::expected<void, std::string> parse_class() {
    if (!class_is_closed()) {
      push(literal_token(U'['));
      return {};
    }
    GlobClass char_class;
    if (text_[pos_] == '!' || text_[pos_] == '^') {
      char_class.negated = true;
      ++pos_;
    }
    std::vector<CharRange>& ranges = glob_.ranges;
    char_class.first_range = ranges.size();
    bool first = true;
    bool in_range = false;
    for (;;) {
      char32_t c = next_char();
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
    char_class.range_count = ranges.size() - char_class.first_range;
    glob_.classes.push_back(char_class);
    GlobToken token = simple_token(GlobTokenKind::char_class);
    token.part = glob_.classes.size() - 1;
    push(token);
    return {};
  }

  std::string_view text_;
  std::size_t last_bracket_;
  std::size_t pos_ = 0;
  Glob glob_;
  bool in_group_ = false;
  std::size_t alternative_start_ = 0;  // where the alternative being read begins
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
  if (c < 0x80) {
    append_byte(re, static_cast<unsigned char>(c));
    return;
  }
  std::string bytes;
  append_utf8(bytes, c);
  for (char b : bytes) append_byte(re, static_cast<unsigned char>(b));
}

void append_class(std::string& re, const Glob& glob, const GlobClass& char_class) {
  re += char_class.negated ? "[^" : "[";
  for (std::size_t i = 0; i < char_class.range_count; ++i) {
    const CharRange& range = glob.ranges[char_class.first_range + i];
    append_char(re, range.first);
    if (range.last != range.first) {
      re.push_back('-');
      append_char(re, range.last);
    }
  }
  re.push_back(']');
}

// Writes a group of alternatives as "(?:a|b)". An empty alternative matches
// nothing of its own and is left out; a group of none writes nothing.
class AlternatesWriter {
 public:
  explicit AlternatesWriter(std::string& re) : re_(re) {}

  void open() {
    group_start_ = re_.size();
    begin_alternative();
  }
  void next() {
    end_alternative();
    begin_alternative();
  }
  void close() {
    end_alternative();
    if (re_.size() != group_start_) re_.push_back(')');
  }

 private:
  void begin_alternative() {
    alternative_start_ = re_.size();
    re_ += alternative_start_ == group_start_ ? "(?:" : "|";
    alternative_body_ = re_.size();
  }
  void end_alternative() {
    if (re_.size() == alternative_body_) re_.resize(alternative_start_);
  }

  std::string& re_;
  std::size_t group_start_ = 0;
  std::size_t alternative_start_ = 0;
  std::size_t alternative_body_ = 0;
};

}  // namespace

std::expected<Glob, std::string> parse_glob(std::string_view pattern) {
  return GlobParser(pattern).parse();
}

std::string glob_regex(const Glob& glob, std::span<const GlobToken> tokens) {
  std::string re;
  AlternatesWriter alternates(re);
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
        append_class(re, glob, glob.classes[token.part]);
        break;
      case GlobTokenKind::alternates_open:
        alternates.open();
        break;
      case GlobTokenKind::alternates_next:
        alternates.next();
        break;
      case GlobTokenKind::alternates_close:
        alternates.close();
        break;
    }
  }
  return re;
}

}  // namespace zav
