#include "yaml/quoted_scalar.hpp"

#include <cstdint>

#include "base/text.hpp"
#include "yaml/yaml_source.hpp"

namespace zav {
namespace {

// The offset after the line break at `pos` (LF, CR LF or a lone CR).
std::size_t after_break(std::string_view text, std::size_t pos) {
  if (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') return pos + 2;
  return pos + 1;
}

// Folds the line break at `pos` and the lines of white space only that
// follow it: each such empty line gives a line feed, and a lone break gives
// a space unless it is `escaped`. Returns where the next line's content
// starts, past its leading white space.
std::size_t fold_break(std::string_view text, std::size_t pos, bool escaped, std::string& out) {
  pos = after_break(text, pos);
  std::size_t empty_lines = 0;
  for (;;) {
    std::size_t content = pos;
    while (content < text.size() && is_blank(text[content])) ++content;
    if (content >= text.size() || !is_break(text[content])) {
      pos = content;
      break;
    }
    ++empty_lines;
    pos = after_break(text, content);
  }
  if (empty_lines > 0) {
    out.append(empty_lines, '\n');
  } else if (!escaped) {
    out.push_back(' ');
  }
  return pos;
}

// Copies the run of white space at `pos` unless a line break ends it.
std::size_t copy_blanks(std::string_view text, std::size_t pos, std::string& out) {
  std::size_t end = pos;
  while (end < text.size() && is_blank(text[end])) ++end;
  if (end >= text.size() || !is_break(text[end])) out.append(text.substr(pos, end - pos));
  return end;
}

std::optional<char32_t> hex_escape(std::string_view digits, std::size_t count) {
  if (digits.size() < count) return std::nullopt;
  char32_t value = 0;
  for (char c : digits.substr(0, count)) {
    int digit = hex_digit_value(c);
    if (digit < 0) return std::nullopt;
    value = value * 16 + static_cast<char32_t>(digit);
  }
  if ((value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF) return std::nullopt;
  return value;
}

// The character that a one-letter escape stands for.
std::optional<char32_t> simple_escape(char c) {
  switch (c) {
    case '0':
      return U'\0';
    case 'a':
      return U'\a';
    case 'b':
      return U'\b';
    case 't':
    case '\t':
      return U'\t';
    case 'n':
      return U'\n';
    case 'v':
      return U'\v';
    case 'f':
      return U'\f';
    case 'r':
      return U'\r';
    case 'e':
      return U'\x1B';
    case ' ':
    case '"':
    case '/':
    case '\\':
      return static_cast<char32_t>(c);
    case 'N':
      return U'\u0085';
    case '_':
      return U'\u00A0';
    case 'L':
      return U'\u2028';
    case 'P':
      return U'\u2029';
    default:
      return std::nullopt;
  }
}

// Resolves the escape whose backslash is at `pos`; returns the offset after it.
std::optional<std::size_t> resolve_escape(std::string_view text, std::size_t pos,
                                          std::string& out) {
  if (pos + 1 >= text.size()) return std::nullopt;
  char kind = text[pos + 1];
  if (is_break(kind)) return fold_break(text, pos + 1, true, out);
  std::size_t digits = kind == 'x' ? 2 : kind == 'u' ? 4 : kind == 'U' ? 8 : 0;
  std::optional<char32_t> c =
      digits > 0 ? hex_escape(text.substr(pos + 2), digits) : simple_escape(kind);
  if (!c) return std::nullopt;
  append_utf8(out, *c);
  return pos + 2 + digits;
}

// The common reading of both quoted styles; `special` starts a "''" pair or
// an escape, which `on_special` resolves.
template <typename OnSpecial>
std::optional<std::string> decode_quoted(std::string_view text, char special,
                                         OnSpecial on_special) {
  const char stops[] = {' ', '\t', '\n', '\r', special, '\0'};
  std::string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    char c = text[pos];
    if (c == special) {
      std::optional<std::size_t> next = on_special(text, pos, out);
      if (!next) return std::nullopt;
      pos = *next;
    } else if (is_blank(c)) {
      pos = copy_blanks(text, pos, out);
    } else if (is_break(c)) {
      pos = fold_break(text, pos, false, out);
    } else {
      std::size_t end = std::min(text.find_first_of(stops, pos), text.size());
      out.append(text.substr(pos, end - pos));
      pos = end;
    }
  }
  return out;
}

}  // namespace

std::string decode_single_quoted(std::string_view content) {
  auto quote = [](std::string_view text, std::size_t pos, std::string& out) {
    out.push_back('\'');
    // "''" is one quote; a lone one cannot stand inside an accepted scalar.
    bool pair = pos + 1 < text.size() && text[pos + 1] == '\'';
    return std::optional<std::size_t>(pos + (pair ? 2 : 1));
  };
  return *decode_quoted(content, '\'', quote);
}

std::optional<std::string> decode_double_quoted(std::string_view content) {
  return decode_quoted(content, '\\', resolve_escape);
}

}  // namespace zav
