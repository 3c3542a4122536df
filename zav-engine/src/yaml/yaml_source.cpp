#include "yaml/yaml_source.hpp"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "base/text.hpp"

namespace zav {
namespace {

bool is_continuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// True when the character at `pos` ends a line: a line feed, or a carriage
// return that no line feed follows.
bool ends_line(std::string_view text, std::size_t pos) {
  if (text[pos] == '\n') return true;
  return text[pos] == '\r' && (pos + 1 >= text.size() || text[pos + 1] != '\n');
}

std::optional<std::uint32_t> hex_value(std::string_view digits) {
  std::uint32_t value = 0;
  for (char c : digits) {
    int digit = hex_digit_value(c);
    if (digit < 0) return std::nullopt;
    value = value * 16 + static_cast<std::uint32_t>(digit);
  }
  return value;
}

std::size_t line_end(std::string_view text, std::size_t pos) {
  while (pos < text.size() && !is_break(text[pos])) ++pos;
  return pos;
}

}  // namespace

std::string yaml_position_text(std::string_view text, std::size_t offset) {
  std::size_t characters = 0, line = 1, column = 1;
  for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
    if (is_continuation(text[i])) continue;
    ++characters;
    if (ends_line(text, i)) {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  if (offset >= text.size() && column > 1) {
    ++line;
    column = 1;
  }
  return " at byte " + std::to_string(characters) + " line " + std::to_string(line) + " column " +
         std::to_string(column);
}

std::size_t yaml_offset_of(std::string_view text, int line, int column) {
  std::size_t pos = 0;
  for (int l = 1; l < line && pos < text.size(); ++pos) {
    if (ends_line(text, pos)) ++l;
  }
  for (int c = 1; c < column && pos < text.size(); ++c) {
    ++pos;
    while (pos < text.size() && is_continuation(text[pos])) ++pos;
  }
  return pos;
}

bool has_invalid_unicode_escape(std::string_view text, std::size_t content) {
  for (std::size_t i = content; i < text.size() && text[i] != '"'; ++i) {
    if (text[i] != '\\' || i + 1 >= text.size()) continue;
    char kind = text[++i];
    std::size_t digits = kind == 'u' ? 4 : kind == 'U' ? 8 : 0;
    if (digits == 0) continue;  // any other escape is one character long
    auto value = hex_value(text.substr(i + 1, digits));
    if (value && ((*value >= 0xD800 && *value <= 0xDFFF) || *value > 0x10FFFF)) return true;
    i += digits;
  }
  return false;
}

std::optional<std::size_t> find_block_scalar_indicator(std::string_view text, std::size_t from) {
  for (std::size_t pos = from; pos < text.size();) {
    char c = text[pos];
    if (c == '|' || c == '>') return pos;
    if (c == '#') {
      pos = line_end(text, pos);
    } else if (is_blank(c) || is_break(c) || c == ':' || c == '-' || c == '?') {
      ++pos;
    } else {
      return std::nullopt;
    }
  }
  return std::nullopt;
}

bool has_indentation_indicator(std::string_view text, std::size_t indicator) {
  for (std::size_t pos = indicator + 1; pos < text.size() && pos <= indicator + 2; ++pos) {
    if (text[pos] >= '1' && text[pos] <= '9') return true;
  }
  return false;
}

BlockScalarHeader read_block_scalar_header(std::string_view text, std::size_t indicator) {
  BlockScalarHeader header;
  for (std::size_t pos = indicator + 1; pos < text.size() && pos <= indicator + 2; ++pos) {
    char c = text[pos];
    if (c >= '1' && c <= '9' && header.indentation == 0) {
      header.indentation = static_cast<std::size_t>(c - '0');
    } else if ((c == '-' || c == '+') && header.chomping == 0) {
      header.chomping = c;
    } else {
      break;
    }
  }
  return header;
}

std::optional<IndentedLine> first_content_line(std::string_view text, std::size_t from,
                                               std::size_t end) {
  end = std::min(end, text.size());
  for (std::size_t start = from; start < end;) {
    std::size_t pos = start;
    while (pos < end && text[pos] == ' ') ++pos;
    if (pos >= end) break;
    if (!is_break(text[pos])) return IndentedLine{start, pos - start};
    start = pos + 1;
    if (pos + 1 < text.size() && text[pos] == '\r' && text[pos + 1] == '\n') ++start;
  }
  return std::nullopt;
}

bool is_valid_shorthand_tag(std::string_view tag) {
  if (tag.starts_with("!<")) return true;
  if (tag.find_first_of(",[]{}") != std::string_view::npos) return false;
  std::size_t second = tag.find('!', 1);
  if (second == std::string_view::npos) return true;
  bool named_handle = std::all_of(tag.begin() + 1, tag.begin() + second, [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
  });
  return named_handle && tag.find('!', second + 1) == std::string_view::npos;
}

std::optional<std::size_t> flow_indicator_after_tag(std::string_view tag) {
  if (!tag.starts_with('!') || tag.starts_with("!<")) return std::nullopt;
  std::size_t stop = tag.find_first_of(",[]{}");
  if (stop == std::string_view::npos || tag[stop] == '[' || tag[stop] == '{') return std::nullopt;
  if (!is_valid_shorthand_tag(tag.substr(0, stop))) return std::nullopt;
  return stop;
}

std::optional<std::size_t> find_flow_indicator_after_tag(std::string_view text, std::size_t from,
                                                         std::size_t to) {
  to = std::min(to, text.size());
  for (std::size_t bang = text.find('!', from); bang < to; bang = text.find('!', bang + 1)) {
    if (bang > 0 && !is_blank(text[bang - 1]) && !is_break(text[bang - 1]) &&
        text[bang - 1] != '[' && text[bang - 1] != '{' && text[bang - 1] != ',') {
      continue;
    }
    std::size_t end = bang;
    while (end < text.size() && !is_blank(text[end]) && !is_break(text[end])) ++end;
    if (auto stop = flow_indicator_after_tag(text.substr(bang, end - bang))) return bang + *stop;
  }
  return std::nullopt;
}

std::size_t skip_separation(std::string_view text, std::size_t pos) {
  while (pos < text.size()) {
    if (text[pos] == '#') {
      pos = line_end(text, pos);
    } else if (is_blank(text[pos]) || is_break(text[pos])) {
      ++pos;
    } else {
      break;
    }
  }
  return pos;
}

std::size_t find_value_indicator(std::string_view text, std::size_t from) {
  std::size_t pos = skip_separation(text, from);
  return pos < text.size() && text[pos] == ':' ? pos : text.size();
}

std::optional<std::size_t> find_empty_entry(std::string_view text, std::size_t from) {
  std::size_t dash = skip_separation(text, from);
  if (dash >= text.size() || text[dash] != '-') return std::nullopt;
  std::size_t pos = dash + 1;
  while (pos < text.size() && is_blank(text[pos])) ++pos;
  if (pos < text.size() && !is_break(text[pos]) && !(text[pos] == '#' && pos > dash + 1)) {
    return std::nullopt;
  }
  return dash;
}

std::optional<SourceError> check_directive_name(std::string_view text, std::size_t name) {
  std::size_t pos = name;
  for (; pos < text.size() && !is_blank(text[pos]) && !is_break(text[pos]); ++pos) {
    char c = text[pos];
    bool word = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                c == '-' || c == '_';
    if (!word && pos > name) {
      return SourceError{"while scanning a directive, found unexpected non-alphabetical character",
                         name};
    }
    if (!word) break;
  }
  if (pos == name) {
    return SourceError{"while scanning a directive, could not find expected directive name", name};
  }
  return std::nullopt;
}

bool is_valid_tag_handle(std::string_view handle) {
  if (handle == "!" || handle == "!!") return true;
  if (handle.size() < 3 || handle.front() != '!' || handle.back() != '!') return false;
  return std::all_of(handle.begin() + 1, handle.end() - 1, [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
  });
}

std::size_t find_tag_directive(std::string_view text, std::string_view handle) {
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = line_end(text, start);
    std::string_view line = text.substr(start, end - start);
    if (line.starts_with("%TAG")) {
      std::size_t name = 4;
      while (name < line.size() && is_blank(line[name])) ++name;
      std::string_view rest = line.substr(name);
      if (name > 4 && rest.starts_with(handle) &&
          (rest.size() == handle.size() || is_blank(rest[handle.size()]))) {
        return start;
      }
    }
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return text.size();
}

std::size_t first_content_line_start(std::string_view text) {
  for (std::size_t start = 0; start < text.size();) {
    std::size_t pos = start;
    while (pos < text.size() && is_blank(text[pos])) ++pos;
    if (pos < text.size() && !is_break(text[pos]) && text[pos] != '#' && text[start] != '%') {
      return start;
    }
    start = line_end(text, pos);
    if (start < text.size()) start += text.compare(start, 2, "\r\n") == 0 ? 2 : 1;
  }
  return text.size();
}

std::string fold_block_lines(std::string_view literal) {
  std::size_t body_end = literal.find_last_not_of('\n');
  if (body_end == std::string_view::npos) return std::string(literal);  // only line breaks
  std::string_view body = literal.substr(0, body_end + 1);
  std::string folded;
  folded.reserve(literal.size());
  std::size_t pos = 0;
  while (pos < body.size() && body[pos] == '\n') folded.push_back(body[pos++]);  // leading
  bool previous_spaced = false, first = true;
  while (pos <= body.size()) {
    std::size_t end = std::min(body.find('\n', pos), body.size());
    std::string_view line = body.substr(pos, end - pos);
    pos = end + 1;
    if (line.empty()) continue;  // empty lines are counted below
    bool spaced = line.front() == ' ' || line.front() == '\t';
    if (!first) {
      // The empty lines between this line and the one before it.
      std::size_t breaks = 0;
      for (std::size_t i = end - line.size(); i > 0 && body[i - 1] == '\n'; --i) ++breaks;
      if (!previous_spaced && !spaced) {
        folded.append(breaks == 1 ? " " : std::string(breaks - 1, '\n'));
      } else {
        folded.append(breaks, '\n');
      }
    }
    folded.append(line);
    previous_spaced = spaced;
    first = false;
  }
  folded.append(literal.substr(body.size()));
  return folded;
}

// What may not follow such a tab (NUL included).
constexpr std::string_view EXPLICIT_KEY_TAB_BREAKERS("|>-?:\0", 6);

// The first tab among the blanks that follow a ':' in text[from, end), when
// a breaker comes right after those blanks.
std::optional<std::size_t> find_tab_after_colon(std::string_view text, std::size_t from,
                                                std::size_t end) {
  for (std::size_t colon = text.find(':', from); colon < end; colon = text.find(':', colon + 1)) {
    std::size_t after = colon + 1, tab = std::string_view::npos;
    for (; after < end && is_blank(text[after]); ++after) {
      if (text[after] == '\t' && tab == std::string_view::npos) tab = after;
    }
    if (tab != std::string_view::npos && after < end &&
        EXPLICIT_KEY_TAB_BREAKERS.find(text[after]) != std::string_view::npos) {
      return tab;
    }
  }
  return std::nullopt;
}

// The explicit key indicator "?" of a block collection on the line
// text[start, end): at its start, after indentation and the indicators "-",
// "?" and ":" of compact nodes, and followed by a blank or the line end.
std::optional<std::size_t> explicit_key_on_line(std::string_view text, std::size_t start,
                                                std::size_t end) {
  std::size_t pos = start;
  while (pos < end && text[pos] == ' ') ++pos;
  while (pos < end && (text[pos] == '-' || text[pos] == '?' || text[pos] == ':') &&
         (pos + 1 == end || is_blank(text[pos + 1]))) {
    if (text[pos] == '?') return pos;
    for (++pos; pos < end && text[pos] == ' ';) ++pos;
  }
  return std::nullopt;
}

std::optional<std::size_t> find_tab_before_indicator_in_explicit_key(std::string_view text) {
  if (text.find('?') == std::string_view::npos) return std::nullopt;
  // The columns of the explicit keys whose node the line being read may
  // still belong to, the innermost last.
  std::vector<std::size_t> keys;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = line_end(text, start);
    std::size_t indent = start;
    while (indent < end && text[indent] == ' ') ++indent;
    // Blank and comment lines, and lines indented by a tab, end no key.
    bool counts = indent < end && text[indent] != '#' && text[indent] != '\t';
    if (counts) {
      // The parser measures a line by its first node after the indicators
      // of compact nodes ("-  a" is past a "?" at column 2).
      std::size_t node = indent;
      while (node < end && (text[node] == '-' || text[node] == '?' || text[node] == ':') &&
             (node + 1 == end || is_blank(text[node + 1]))) {
        for (++node; node < end && text[node] == ' ';) ++node;
      }
      std::size_t column = node - start;
      // A block sequence entry whose "-" stands at the column of a key's
      // "?" may belong to that key.
      std::optional<std::size_t> entry;
      if (text[indent] == '-' && node > indent) entry = indent - start;
      // A line that is not past a key's "?" ends that key, and so does the
      // ":" of its value at its column.
      bool value = text[indent] == ':' && node > indent;
      while (!keys.empty() &&
             (keys.back() > column || (keys.back() == column && entry != keys.back()) ||
              (value && keys.back() == indent - start))) {
        keys.pop_back();
      }
    }
    std::size_t from = start;
    if (keys.empty()) {
      auto key = counts ? explicit_key_on_line(text, start, end) : std::nullopt;
      if (!key) {
        start = end + 1;
        continue;
      }
      from = *key;
    }
    if (auto tab = find_tab_after_colon(text, from, end)) return tab;
    if (counts) {
      if (auto key = explicit_key_on_line(text, start, end)) keys.push_back(*key - start);
    }
    start = end + 1;
  }
  return std::nullopt;
}

std::optional<BlankRun> find_tab_before_node(std::string_view text, std::size_t at) {
  if (at > text.size()) return std::nullopt;
  std::size_t start = at, end = at;
  while (start > 0 && is_blank(text[start - 1])) --start;
  while (end < text.size() && is_blank(text[end])) ++end;
  if (start == 0 || end == text.size()) return std::nullopt;
  if (text.substr(start, end - start).find('\t') == std::string_view::npos) return std::nullopt;
  char indicator = text[start - 1];
  if (indicator != '-' && indicator != '?' && indicator != ':') return std::nullopt;
  bool opens = std::string_view("|>\"'[{").find(text[end]) != std::string_view::npos;
  bool plain = (text[end] == '-' || text[end] == '?' || text[end] == ':') && end + 1 < text.size() &&
               !is_blank(text[end + 1]) && !is_break(text[end + 1]);
  if (!opens && !plain) return std::nullopt;
  return BlankRun{start, end - start};
}

std::optional<std::size_t> find_block_header_end(std::string_view text, std::size_t indicator) {
  std::size_t pos = indicator + 1;
  for (std::size_t i = 0; i < 2 && pos < text.size(); ++i, ++pos) {
    char c = text[pos];
    if (!(c >= '1' && c <= '9') && c != '-' && c != '+') break;
  }
  if (pos >= text.size() || is_blank(text[pos]) || is_break(text[pos])) return std::nullopt;
  return pos;
}

std::optional<BlankRun> find_tab_after_value_indicator(std::string_view text, std::size_t before) {
  std::size_t end = std::min(before, text.size());
  while (end > 0) {
    std::size_t start = end;
    while (start > 0 && !is_break(text[start - 1])) --start;
    std::size_t pos = start;
    while (pos < end && text[pos] == ' ') ++pos;
    if (pos + 1 < end && text[pos] == ':' && is_blank(text[pos + 1])) {
      std::size_t node = pos + 1;
      while (node < end && is_blank(text[node])) ++node;
      std::string_view blanks = text.substr(pos + 1, node - pos - 1);
      bool compact = node < end && (text[node] == '-' || text[node] == '?' || text[node] == ':') &&
                     (node + 1 == end || is_blank(text[node + 1]));
      if (blanks.find('\t') != std::string_view::npos && node < end && !compact) {
        return BlankRun{pos + 1, blanks.size()};
      }
    }
    end = start > 0 ? start - 1 : 0;
    if (end > 0 && text[end] == '\n' && text[end - 1] == '\r') --end;
  }
  return std::nullopt;
}

std::optional<std::size_t> find_empty_key_entry(std::string_view text, std::size_t from,
                                                bool at_from) {
  auto line_start = [&](std::size_t pos) {
    while (pos > 0 && !is_break(text[pos - 1])) --pos;
    return pos;
  };
  auto starts_entry = [&](std::size_t colon) {
    return colon < text.size() && text[colon] == ':' &&
           (colon + 1 == text.size() || is_blank(text[colon + 1]) || is_break(text[colon + 1]));
  };
  std::size_t colon = std::string_view::npos;
  if (at_from) {
    std::size_t start = line_start(std::min(from, text.size()));
    std::size_t pos = start;
    while (pos < text.size() && text[pos] == ' ') ++pos;
    if (pos != from || !starts_entry(pos)) return std::nullopt;
    colon = pos;
  } else {
    // The lines of the plain scalar that begins at `from`, then the ":".
    for (std::size_t start = line_end(text, from); start < text.size();) {
      start += text.compare(start, 2, "\r\n") == 0 ? 2 : 1;
      std::size_t pos = start;
      while (pos < text.size() && text[pos] == ' ') ++pos;
      if (starts_entry(pos)) {
        colon = pos;
        break;
      }
      std::size_t end = line_end(text, pos);
      std::string_view line = text.substr(pos, end - pos);
      if (line.empty() || line.front() == '#' || line.find(": ") != std::string_view::npos ||
          line.find(" #") != std::string_view::npos) {
        return std::nullopt;
      }
      start = end;
    }
    if (colon == std::string_view::npos) return std::nullopt;
  }
  // Not the value of an explicit key at the same column: the lines before
  // are followed back to one that is indented no further.
  std::size_t column = colon - line_start(colon);
  for (std::size_t end = line_start(colon); end > 0;) {
    std::size_t start = line_start(end - 1);
    std::size_t pos = start;
    while (pos < end && text[pos] == ' ') ++pos;
    std::size_t indentation = pos - start;
    end = start;
    if (pos >= text.size() || is_break(text[pos]) || text[pos] == '#') continue;
    // The indicators of compact nodes at the start of the line.
    while (pos < text.size() && (text[pos] == '-' || text[pos] == '?' || text[pos] == ':') &&
           (pos + 1 == text.size() || is_blank(text[pos + 1]) || is_break(text[pos + 1]))) {
      if (text[pos] == '?' && pos - start == column) return std::nullopt;
      for (++pos; pos < text.size() && text[pos] == ' ';) ++pos;
    }
    if (indentation <= column) break;
  }
  return colon;
}

std::optional<BlankRun> find_space_in_anchor_name(std::string_view text, std::size_t from) {
  auto ends_name = [](char c) {
    return is_blank(c) || is_break(c) || std::string_view(",[]{}").find(c) != std::string_view::npos;
  };
  std::size_t start = from;
  for (; start < text.size(); ++start) {
    bool token_start = start == 0 || ends_name(text[start - 1]);
    if (!token_start) continue;
    if (text[start] == '#') {
      start = line_end(text, start);  // a comment
      if (start == text.size()) return std::nullopt;
    } else if (text[start] == '&' || text[start] == '*') {
      break;
    }
  }
  for (std::size_t pos = start + 1; pos < text.size() && !ends_name(text[pos]);) {
    std::size_t length = 1;
    if (static_cast<unsigned char>(text[pos]) >= 0x80) {
      char32_t c = decode_utf8(text, pos, length);
      if ((c == 0x85 || is_white_space(c)) && pos + length <= text.size()) {
        return BlankRun{pos, length};
      }
    }
    pos += std::max<std::size_t>(length, 1);
  }
  return std::nullopt;
}

std::vector<VersionDirective> find_version_directives(std::string_view text) {
  std::vector<VersionDirective> directives;
  std::size_t content = first_content_line_start(text);
  constexpr std::string_view NAME = "%YAML";
  for (std::size_t start = 0; start < content;) {
    std::size_t end = line_end(text, start);
    std::string_view line = text.substr(start, end - start);
    if (line.starts_with(NAME) && line.size() > NAME.size() && is_blank(line[NAME.size()])) {
      std::size_t pos = NAME.size();
      while (pos < line.size() && is_blank(line[pos])) ++pos;
      auto digits = [&] {
        std::size_t from = pos;
        while (pos < line.size() && line[pos] >= '0' && line[pos] <= '9') ++pos;
        return line.substr(from, pos - from);
      };
      std::string_view major = digits();
      bool dot = pos < line.size() && line[pos] == '.';
      if (dot) ++pos;
      std::string_view minor = dot ? digits() : std::string_view();
      if (!major.empty() && !minor.empty() && (pos == line.size() || is_blank(line[pos]))) {
        directives.push_back({start, major, minor});
      }
    }
    start = end < text.size() ? end + 1 : end;
  }
  return directives;
}

bool is_decimal_number(std::string_view digits, unsigned value) {
  std::size_t first = digits.find_first_not_of('0');
  if (first == std::string_view::npos) return value == 0;
  std::string_view significant = digits.substr(first);
  return significant.size() < 10 && significant == std::to_string(value);
}

void PatchedText::reset(std::string_view original) {
  constexpr std::size_t KEPT_CAPACITY = std::size_t{1} << 20;
  if (text_.capacity() > KEPT_CAPACITY && text_.capacity() / 4 > original.size()) {
    std::string().swap(text_);
  }
  original_ = original;
  text_.assign(original);
  insertions_.clear();
}

void PatchedText::insert(std::size_t offset, std::string_view piece) {
  offset = std::min(offset, text_.size());
  text_.insert(offset, piece);
  auto at = std::lower_bound(insertions_.begin(), insertions_.end(), offset,
                             [](const Insertion& i, std::size_t o) { return i.offset < o; });
  for (auto later = at; later != insertions_.end(); ++later) later->offset += piece.size();
  insertions_.insert(at, Insertion{offset, piece.size()});
}

std::size_t PatchedText::original_offset(std::size_t offset) const {
  std::size_t inserted = 0;
  for (const Insertion& insertion : insertions_) {
    if (insertion.offset >= offset) break;
    // An offset inside an inserted piece stands for the place of the piece.
    inserted += std::min(insertion.length, offset - insertion.offset);
  }
  return offset - inserted;
}

}  // namespace zav
