#include "engine/markdown/raw_html.hpp"

#include <algorithm>
#include <array>

#include "engine/markdown/characters.hpp"

namespace zav::markdown {
namespace {

constexpr std::array<std::string_view, 4> LITERAL_CONTENT_TAGS = {"pre", "script", "style",
                                                                  "textarea"};

// Sorted, for a binary search.
constexpr std::array<std::string_view, 62> BLOCK_TAGS = {
    "address",  "article",  "aside",    "base",       "basefont", "blockquote", "body",   "caption",
    "center",   "col",      "colgroup", "dd",         "details",  "dialog",     "dir",    "div",
    "dl",       "dt",       "fieldset", "figcaption", "figure",   "footer",     "form",   "frame",
    "frameset", "h1",       "h2",       "h3",         "h4",       "h5",         "h6",     "head",
    "header",   "hr",       "html",     "iframe",     "legend",   "li",         "link",   "main",
    "menu",     "menuitem", "nav",      "noframes",   "ol",       "optgroup",   "option", "p",
    "param",    "search",   "section",  "summary",    "table",    "tbody",      "td",     "tfoot",
    "th",       "thead",    "title",    "tr",         "track",    "ul"};

bool is_block_tag(std::string_view name) {
  if (name.size() > 10) return false;
  char lower[10];
  for (std::size_t i = 0; i < name.size(); ++i) lower[i] = ascii_lower(name[i]);
  return std::binary_search(BLOCK_TAGS.begin(), BLOCK_TAGS.end(),
                            std::string_view(lower, name.size()));
}

bool is_literal_content_tag(std::string_view name) {
  return std::any_of(LITERAL_CONTENT_TAGS.begin(), LITERAL_CONTENT_TAGS.end(),
                     [&](std::string_view tag) {
                       return tag.size() == name.size() && starts_with_ignoring_case(name, tag);
                     });
}

char at(std::string_view s, std::size_t pos) {
  return pos < s.size() ? s[pos] : '\0';
}

// Spaces and tabs with at most one line end among them.
std::size_t skip_tag_space(std::string_view s, std::size_t pos) {
  bool line_end = false;
  while (pos < s.size()) {
    if (is_space_or_tab(s[pos])) {
      ++pos;
    } else if (s[pos] == '\n' && !line_end) {
      line_end = true;
      ++pos;
    } else {
      break;
    }
  }
  return pos;
}

std::size_t tag_name_end(std::string_view s, std::size_t pos) {
  if (!is_ascii_letter(at(s, pos))) return pos;
  ++pos;
  while (pos < s.size() && (is_ascii_alphanumeric(s[pos]) || s[pos] == '-')) ++pos;
  return pos;
}

std::size_t attribute_name_end(std::string_view s, std::size_t pos) {
  char c = at(s, pos);
  if (!is_ascii_letter(c) && c != '_' && c != ':') return pos;
  ++pos;
  while (pos < s.size()) {
    c = s[pos];
    if (!is_ascii_alphanumeric(c) && c != '_' && c != '.' && c != ':' && c != '-') break;
    ++pos;
  }
  return pos;
}

std::optional<std::size_t> attribute_value_end(std::string_view s, std::size_t pos) {
  char c = at(s, pos);
  if (c == '"' || c == '\'') {
    std::size_t close = s.find(c, pos + 1);
    if (close == std::string_view::npos) return std::nullopt;
    return close + 1;
  }
  std::size_t end = pos;
  while (end < s.size()) {
    c = s[end];
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '"' || c == '\'' || c == '=' ||
        c == '<' || c == '>' || c == '`') {
      break;
    }
    ++end;
  }
  if (end == pos) return std::nullopt;
  return end;
}

// An open or closing tag at `pos` ("<" there): its end and its name.
struct ElementTag {
  std::size_t end;
  std::string_view name;
  bool closing;
};

std::optional<ElementTag> element_tag(std::string_view s, std::size_t pos) {
  std::size_t i = pos + 1;
  bool closing = at(s, i) == '/';
  if (closing) ++i;
  std::size_t name_end = tag_name_end(s, i);
  if (name_end == i) return std::nullopt;
  std::string_view name = s.substr(i, name_end - i);
  i = name_end;
  if (closing) {
    i = skip_tag_space(s, i);
    if (at(s, i) != '>') return std::nullopt;
    return ElementTag{i + 1, name, true};
  }
  while (true) {
    std::size_t space_start = i;
    i = skip_tag_space(s, i);
    char c = at(s, i);
    if (c == '>') return ElementTag{i + 1, name, false};
    if (c == '/') {
      if (at(s, i + 1) != '>') return std::nullopt;
      return ElementTag{i + 2, name, false};
    }
    if (i == space_start) return std::nullopt;
    std::size_t attribute_end = attribute_name_end(s, i);
    if (attribute_end == i) return std::nullopt;
    i = attribute_end;
    std::size_t equals = skip_tag_space(s, i);
    if (at(s, equals) == '=') {
      std::optional<std::size_t> value_end = attribute_value_end(s, skip_tag_space(s, equals + 1));
      if (!value_end) return std::nullopt;
      i = *value_end;
    }
  }
}

bool contains_literal_content_end(std::string_view line) {
  for (std::size_t i = line.find("</"); i != std::string_view::npos; i = line.find("</", i + 2)) {
    std::string_view rest = line.substr(i + 2);
    for (std::string_view tag : LITERAL_CONTENT_TAGS) {
      if (starts_with_ignoring_case(rest, tag) && at(rest, tag.size()) == '>') return true;
    }
  }
  return false;
}

}  // namespace

int html_block_start(std::string_view line) {
  if (at(line, 0) != '<') return 0;
  std::string_view rest = line.substr(1);
  for (std::string_view tag : LITERAL_CONTENT_TAGS) {
    if (!starts_with_ignoring_case(rest, tag)) continue;
    char after = at(rest, tag.size());
    if (rest.size() == tag.size() || after == ' ' || after == '\t' || after == '>') return 1;
  }
  if (rest.starts_with("!--")) return 2;
  if (rest.starts_with("?")) return 3;
  if (rest.starts_with("!") && is_ascii_letter(at(rest, 1))) return 4;
  if (rest.starts_with("![CDATA[")) return 5;
  std::size_t name_start = rest.starts_with("/") ? 1 : 0;
  std::size_t name_end = name_start;
  while (name_end < rest.size() && is_ascii_alphanumeric(rest[name_end])) ++name_end;
  if (name_end > name_start && is_block_tag(rest.substr(name_start, name_end - name_start))) {
    char after = at(rest, name_end);
    if (name_end == rest.size() || after == ' ' || after == '\t' || after == '>' ||
        (after == '/' && at(rest, name_end + 1) == '>')) {
      return 6;
    }
  }
  std::optional<ElementTag> tag = element_tag(line, 0);
  if (tag && (tag->closing || !is_literal_content_tag(tag->name))) {
    std::size_t end = tag->end;
    while (end < line.size() && is_space_or_tab(line[end])) ++end;
    if (end == line.size()) return 7;
  }
  return 0;
}

bool html_block_ends(int kind, std::string_view line) {
  switch (kind) {
    case 1:
      return contains_literal_content_end(line);
    case 2:
      return line.find("-->") != std::string_view::npos;
    case 3:
      return line.find("?>") != std::string_view::npos;
    case 4:
      return line.find('>') != std::string_view::npos;
    case 5:
      return line.find("]]>") != std::string_view::npos;
    default:
      return false;
  }
}

std::optional<std::size_t> InlineHtmlScanner::until(Search& search, std::size_t from) {
  bool known = search.searched_from != std::string_view::npos && from >= search.searched_from &&
               (search.found == std::string_view::npos || from <= search.found);
  if (!known) {
    search.searched_from = from;
    search.found = s_.find(search.closer, from);
  }
  if (search.found == std::string_view::npos) return std::nullopt;
  return search.found + search.closer.size();
}

std::optional<std::size_t> InlineHtmlScanner::tag_end(std::size_t pos) {
  std::string_view rest = s_.substr(pos + 1);
  if (rest.starts_with("!--")) {
    if (rest.starts_with("!-->")) return pos + 5;
    if (rest.starts_with("!--->")) return pos + 6;
    return until(comment_, pos + 4);
  }
  if (rest.starts_with("?")) return until(instruction_, pos + 2);
  if (rest.starts_with("![CDATA[")) return until(cdata_, pos + 9);
  if (rest.starts_with("!")) {
    if (!is_ascii_letter(at(rest, 1))) return std::nullopt;
    return until(declaration_, pos + 3);
  }
  // A tag needs a ">" somewhere after it.
  if (!until(declaration_, pos + 1)) return std::nullopt;
  std::optional<ElementTag> tag = element_tag(s_, pos);
  if (!tag) return std::nullopt;
  return tag->end;
}

}  // namespace zav::markdown
