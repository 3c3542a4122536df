// The YAML text of one frontmatter block as a frontmatter map.
#pragma once

#include <cstddef>
#include <expected>
#include <string>
#include <string_view>

#include "yaml/json_value.hpp"

namespace zav {

// Bounds that keep hostile frontmatter from exhausting memory or the stack.
// Anchors and alias copies may make at most MAX_FRONTMATTER_NODES nodes, and
// copy at most ALIAS_TEXT_FACTOR times the YAML text's size plus
// ALIAS_TEXT_ALLOWANCE bytes of text (scalars and keys).
inline constexpr std::size_t MAX_FRONTMATTER_NODES = 1'000'000;
inline constexpr std::size_t MAX_FRONTMATTER_DEPTH = 1'000;
inline constexpr std::size_t ALIAS_TEXT_FACTOR = 64;
inline constexpr std::size_t ALIAS_TEXT_ALLOWANCE = std::size_t{1} << 20;

// The map, or one message (behind "invalid YAML frontmatter: " except for
// "frontmatter must be a YAML mapping"). Never aborts.
std::expected<JsonMap, std::string> parse_frontmatter(std::string_view yaml);

}  // namespace zav
