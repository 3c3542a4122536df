// Unicode case folding, by which link labels are matched regardless of case.
#pragma once

#include <string>

namespace zav::markdown {

// Appends the full case folding of the character `c` to `out` as UTF-8: "A" gives "a", "ß" and
// "ẞ" give "ss", "Σ" and "ς" give "σ"; a character that folding leaves alone is appended as it
// is. A value that is no Unicode scalar value (a surrogate, or above U+10FFFF) gives U+FFFD.
void append_case_folded(std::string& out, char32_t c);

}  // namespace zav::markdown
