// The split must return pieces of its input that, with the delimiter lines,
// make up the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "engine/split/frontmatter_split.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  auto split = zav::split_frontmatter(text);
  if (split) {
    auto within = [&](std::string_view piece) {
      return piece.data() >= text.data() && piece.data() + piece.size() <= text.data() + size;
    };
    if (!within(split->yaml) || !within(split->body)) std::abort();
    if (split->body.data() + split->body.size() != text.data() + size) std::abort();
  }
  zav::is_frontmatter_delimiter(text);
  return 0;
}
