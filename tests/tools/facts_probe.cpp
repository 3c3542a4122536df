// Developer probe: reads one Markdown text on standard input and prints its facts as one compact
// JSON object {"links":[...],"headings":[[level,"text"],...]}.
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>

#include "base/json_escape.hpp"

#include "zav/engine.hpp"

namespace {

void append_json_string(std::string& out, std::string_view text) {
  out.push_back('"');
  zav::write_escaped_json_text(text, [&](std::string_view piece) { out.append(piece); });
  out.push_back('"');
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
