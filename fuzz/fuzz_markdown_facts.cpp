// Markdown facts of any UTF-8 text: heading levels 1 to 6, never a crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "zav/engine.hpp"
#include "zav/text.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  if (!zav::is_valid_utf8(text)) return -1;
  zav::MarkdownFacts facts = zav::markdown_facts(text);
  for (const auto& heading : facts.headings) {
    if (heading.level < 1 || heading.level > 6 || heading.text.size() > size) std::abort();
  }
  return 0;
}
