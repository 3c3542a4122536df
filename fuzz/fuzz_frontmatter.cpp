// YAML frontmatter of any bytes that are UTF-8: a map or a message, never a
// crash, and a map always writes as canonical JSON. Texts that come from
// UTF-8 input stay UTF-8, in the map and in the message alike.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/text.hpp"
#include "yaml/canonical_json.hpp"
#include "yaml/frontmatter_yaml.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  if (!zav::is_valid_utf8(text)) return -1;
  auto map = zav::parse_frontmatter(text);
  std::string json;
  if (map) zav::write_canonical_json(*map, json);
  if (!zav::is_valid_utf8(map ? json : map.error())) __builtin_trap();
  return 0;
}
