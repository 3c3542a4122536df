#include "yaml/frontmatter_yaml.hpp"

#include <new>
#include <utility>

#include "base/os_error.hpp"
#include "yaml/frontmatter_receiver.hpp"
#include "yaml/yaml_events.hpp"

namespace zav {
namespace {

constexpr std::string_view ERROR_PREFIX = "invalid YAML frontmatter: ";

std::string prefixed(std::string_view message) {
  std::string text(ERROR_PREFIX);
  text.append(message);
  return text;
}

std::expected<JsonMap, std::string> read_frontmatter(std::string_view yaml) {
  FrontmatterReceiver receiver(yaml.size());
  auto parsed = read_yaml_events(yaml, receiver);
  if (!parsed) return std::unexpected(prefixed(parsed.error()));
  if (receiver.error()) return std::unexpected(prefixed(*receiver.error()));
  std::vector<JsonValue>& roots = receiver.document_roots();
  if (roots.size() > 1) return std::unexpected(prefixed("multiple documents are not supported"));
  if (roots.empty() || roots.front().is_null()) return JsonMap{};
  if (auto* map = std::get_if<JsonMap>(&roots.front().value)) return std::move(*map);
  return std::unexpected("frontmatter must be a YAML mapping");
}

}  // namespace

std::expected<JsonMap, std::string> parse_frontmatter(std::string_view yaml) {
  try {
    return read_frontmatter(yaml);
  } catch (const std::bad_alloc&) {
    return std::unexpected(prefixed(OUT_OF_MEMORY));
  }
}

}  // namespace zav
