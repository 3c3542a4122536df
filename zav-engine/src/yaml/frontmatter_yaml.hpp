// The YAML text of one frontmatter block as a frontmatter map.
#pragma once

#include <expected>
#include <string>
#include <string_view>

#include "yaml/json_value.hpp"

namespace zav {

// The map, or one message (behind "invalid YAML frontmatter: " except for
// "frontmatter must be a YAML mapping"). Never aborts.
std::expected<JsonMap, std::string> parse_frontmatter(std::string_view yaml);

}  // namespace zav
