#include "facts/legacy/legacy_quote.hpp"

#include <algorithm>
#include <cstdio>

#include "base/text.hpp"
#include "facts/legacy/legacy_quote_ranges.hpp"

namespace zav {

namespace {

bool is_escaped(char32_t c) {
  auto ranges = escaped_code_ranges();
  auto it =
      std::upper_bound(ranges.begin(), ranges.end(), c,
                       [](char32_t value, const CodeRange& range) { return value < range.first; });
  return it != ranges.begin() && c <= std::prev(it)->last;
}

void append_quoted(std::string& out, std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t length = 0;
    char32_t c = decode_utf8(text, pos, length);
    switch (c) {
      case U'"':
        out += "\\\"";
        break;
      case U'\\':
        out += "\\\\";
        break;
      case U'\0':
        out += "\\0";
        break;
      case U'\t':
        out += "\\t";
        break;
      case U'\r':
        out += "\\r";
        break;
      case U'\n':
        out += "\\n";
        break;
      default:
        if (is_escaped(c)) {
          char buffer[16];
          std::snprintf(buffer, sizeof buffer, "\\u{%x}", static_cast<unsigned>(c));
          out += buffer;
        } else {
          out.append(text.substr(pos, length));
        }
    }
    pos += length;
  }
}

}  // namespace

std::string quote_for_message(std::string_view text) {
  std::string out = "\"";
  if (is_valid_utf8(text)) {
    append_quoted(out, text);
  } else {
    append_quoted(out, utf8_lossy(text));
  }
  out.push_back('"');
  return out;
}

}  // namespace zav
