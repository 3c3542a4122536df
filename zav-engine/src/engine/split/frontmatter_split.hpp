// Splitting a frontmatter block off the start of a text.
#pragma once

#include <optional>
#include <string_view>

namespace zav {

// Both are pieces of the input text.
struct FrontmatterSplit {
  std::string_view yaml;
  std::string_view body;
};

std::optional<FrontmatterSplit> split_frontmatter(std::string_view text);

// True for "---" followed only by spaces or tabs, with an optional final CR,
// LF or CR LF.
bool is_frontmatter_delimiter(std::string_view line);

}  // namespace zav
