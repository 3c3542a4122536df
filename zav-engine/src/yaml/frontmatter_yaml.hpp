// The YAML text of one frontmatter block as a frontmatter map.
#pragma once

#include <cstddef>
#include <expected>
#include <string>
#include <string_view>

#include "yaml/json_value.hpp"

namespace zav {

// Bounds that keep hostile frontmatter from exhausting memory or the stack.
inline constexpr std::size_t MAX_FRONTMATTER_NODES = 1'000'000;
inline constexpr std::size_t MAX_FRONTMATTER_DEPTH = 1'000;

// The map, or one message (behind "invalid YAML frontmatter: " except for
// "frontmatter must be a YAML mapping"). Never aborts.
std::expected<JsonMap, std::string> parse_frontmatter(std::string_view yaml);

}  // namespace zav
