// Developer probe: reads one Markdown text on standard input and prints its facts as one compact
// JSON object {"links":[...],"headings":[[level,"text"],...]}.
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>

#include "zav/engine.hpp"

namespace {

// Quotation mark, backslash, and the short escapes; other control characters as \u00xx.
void append_json_string(std::string& out, std::string_view text) {
  out += '"';
  for (char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(c));
          out += escape;
        } else {
          out += c;
        }
    }
  }
  out += '"';
}

}  // namespace

int main() {
  std::string text((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
  zav::MarkdownFacts facts = zav::markdown_facts(text);
  std::string out = "{\"links\":[";
  for (std::size_t i = 0; i < facts.links.size(); ++i) {
    if (i > 0) out += ',';
    append_json_string(out, facts.links[i]);
  }
  out += "],\"headings\":[";
  for (std::size_t i = 0; i < facts.headings.size(); ++i) {
    if (i > 0) out += ',';
    out += '[' + std::to_string(facts.headings[i].level) + ',';
    append_json_string(out, facts.headings[i].text);
    out += ']';
  }
  out += "]}";
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}
