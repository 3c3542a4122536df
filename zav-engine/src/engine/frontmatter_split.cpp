#include "engine/frontmatter_split.hpp"

namespace zav {

std::optional<FrontmatterSplit> split_frontmatter(std::string_view) {
  return std::nullopt;
}

bool is_frontmatter_delimiter(std::string_view) {
  return false;
}

}  // namespace zav
