#include "engine/markdown/link_syntax.hpp"

#include "base/text.hpp"
#include "engine/markdown/case_fold.hpp"
#include "engine/markdown/characters.hpp"
#include "engine/markdown/entities.hpp"

namespace zav::markdown {
namespace {

constexpr int MAX_PARENTHESIS_DEPTH = 32;
constexpr std::string_view REPLACEMENT_CHARACTER = "\xEF\xBF\xBD";

bool is_utf8_continuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The code point at `pos` and its length; a byte that starts no complete sequence stands for
// itself.
char32_t next_code_point(std::string_view s, std::size_t pos, std::size_t& length) {
  auto lead = static_cast<unsigned char>(s[pos]);
  std::size_t need = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  if (need == 1 || lead < 0xC0 || pos + need > s.size()) {
    length = 1;
    return lead;
  }
  for (std::size_t k = 1; k < need; ++k) {
    if (!is_utf8_continuation(s[pos + k])) {
      length = 1;
      return lead;
    }
  }
  return decode_utf8(s, pos, length);
}

std::size_t& unclosed_title_mark(TitleScanMemo& memo, char open) {
  if (open == '"') return memo.unclosed_double;
  if (open == '\'') return memo.unclosed_single;
  return memo.unclosed_parenthesis;
}

}  // namespace

std::size_t skip_spaces_and_line_end(std::string_view s, std::size_t pos) {
  while (pos < s.size() && is_space_or_tab(s[pos])) ++pos;
  if (pos < s.size() && s[pos] == '\n') {
    ++pos;
    while (pos < s.size() && is_space_or_tab(s[pos])) ++pos;
  }
  return pos;
}

std::optional<std::size_t> scan_link_label(std::string_view s, std::size_t pos) {
  if (pos >= s.size() || s[pos] != '[') return std::nullopt;
  std::size_t characters = 0;
  for (std::size_t i = pos + 1; i < s.size(); ++i) {
    char c = s[i];
    if (c == ']') return i + 1;
    if (c == '[') return std::nullopt;
    if (!is_utf8_continuation(c) && ++characters > MAX_LABEL_CHARACTERS) return std::nullopt;
    if (c == '\\' && i + 1 < s.size() && is_ascii_punctuation(s[i + 1])) {
      ++i;
      if (++characters > MAX_LABEL_CHARACTERS) return std::nullopt;
    }
  }
  return std::nullopt;
}

std::optional<Destination> scan_link_destination(std::string_view s, std::size_t pos) {
  if (pos < s.size() && s[pos] == '<') {
    for (std::size_t i = pos + 1; i < s.size(); ++i) {
      char c = s[i];
      if (c == '>') return Destination{s.substr(pos + 1, i - pos - 1), i + 1};
      if (c == '<' || c == '\n') return std::nullopt;
      if (c == '\\' && i + 1 < s.size() && is_ascii_punctuation(s[i + 1])) ++i;
    }
    return std::nullopt;
  }
  int depth = 0;
  std::size_t i = pos;
  for (; i < s.size(); ++i) {
    char c = s[i];
    if (c == '\\' && i + 1 < s.size() && is_ascii_punctuation(s[i + 1])) {
      ++i;
    } else if (c == '(') {
      if (++depth > MAX_PARENTHESIS_DEPTH) return std::nullopt;
    } else if (c == ')') {
      if (depth == 0) break;
      --depth;
    } else if (c == ' ' || c == '\n' || is_ascii_control(c)) {
      break;
    }
  }
  if (depth != 0) return std::nullopt;
  if (i == pos && (i >= s.size() || s[i] != ')')) return std::nullopt;
  return Destination{s.substr(pos, i - pos), i};
}

std::optional<std::size_t> scan_link_title(std::string_view s, std::size_t pos,
                                           TitleScanMemo& memo) {
  if (pos >= s.size()) return std::nullopt;
  char open = s[pos];
  char close = open == '(' ? ')' : open;
  if (open != '"' && open != '\'' && open != '(') return std::nullopt;
  std::size_t& unclosed = unclosed_title_mark(memo, open);
  if (pos >= unclosed) return std::nullopt;
  for (std::size_t i = pos + 1; i < s.size(); ++i) {
    char c = s[i];
    if (c == close) return i + 1;
    if (open == '(' && c == '(') return std::nullopt;
    if (c == '\\' && i + 1 < s.size() && is_ascii_punctuation(s[i + 1])) ++i;
  }
  unclosed = pos;
  return std::nullopt;
}

std::optional<std::size_t> decode_character_reference(std::string_view s, std::size_t pos,
                                                      std::string& out) {
  std::size_t i = pos + 1;
  if (i < s.size() && s[i] == '#') {
    ++i;
    bool hex = i < s.size() && (s[i] == 'x' || s[i] == 'X');
    if (hex) ++i;
    std::size_t max_digits = hex ? 6 : 7, digits = 0;
    char32_t value = 0;
    for (; i < s.size() && digits < max_digits; ++i, ++digits) {
      int digit = hex ? hex_digit_value(s[i]) : (is_ascii_digit(s[i]) ? s[i] - '0' : -1);
      if (digit < 0) break;
      value = value * (hex ? 16 : 10) + static_cast<char32_t>(digit);
    }
    if (digits == 0 || i >= s.size() || s[i] != ';') return std::nullopt;
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
      out.append(REPLACEMENT_CHARACTER);
    } else {
      append_utf8(out, value);
    }
    return i + 1;
  }
  std::size_t name_start = i;
  while (i < s.size() && i - name_start < 32 && is_ascii_alphanumeric(s[i])) ++i;
  if (i == name_start || i >= s.size() || s[i] != ';') return std::nullopt;
  std::optional<std::string_view> characters =
      named_character_reference(s.substr(name_start, i - name_start));
  if (!characters) return std::nullopt;
  out.append(*characters);
  return i + 1;
}

void append_destination(std::string& out, std::string_view raw) {
  std::size_t run = 0;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    char c = raw[i];
    if (c != '\\' && c != '&' && c != '\0') continue;
    if (c == '\\') {
      if (i + 1 >= raw.size() || !is_ascii_punctuation(raw[i + 1])) continue;
      out.append(raw.substr(run, i - run));
      run = ++i;  // the escaped character starts the next run
      continue;
    }
    if (c == '\0') {
      out.append(raw.substr(run, i - run)).append(REPLACEMENT_CHARACTER);
      run = i + 1;
      continue;
    }
    std::size_t before = out.size();
    out.append(raw.substr(run, i - run));
    if (std::optional<std::size_t> end = decode_character_reference(raw, i, out)) {
      run = *end;
      i = *end - 1;
    } else {
      out.resize(before);
    }
  }
  out.append(raw.substr(run));
}

void normalize_label(std::string_view inner, std::string& out) {
  out.clear();
  bool pending_space = false;
  for (std::size_t i = 0; i < inner.size();) {
    char c = inner[i];
    if (c == ' ' || c == '\t' || c == '\n') {
      pending_space = !out.empty();
      ++i;
      continue;
    }
    if (pending_space) {
      out.push_back(' ');
      pending_space = false;
    }
    if (c == '\0') {
      out.append(REPLACEMENT_CHARACTER);
      ++i;
      continue;
    }
    if (static_cast<unsigned char>(c) < 0x80) {
      out.push_back(ascii_lower(c));
      ++i;
      continue;
    }
    std::size_t length = 0;
    char32_t code_point = next_code_point(inner, i, length);
    if (length == 1) {
      out.push_back(c);
    } else {
      append_case_folded(out, code_point);
    }
    i += length;
  }
}

}  // namespace zav::markdown
