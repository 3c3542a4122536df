// The characters that quoted message text escapes as \u{hex}.
#pragma once

#include <span>

namespace zav {

struct CodeRange {
  char32_t first;
  char32_t last;
};

// Sorted, disjoint, inclusive ranges.
std::span<const CodeRange> escaped_code_ranges();

}  // namespace zav
