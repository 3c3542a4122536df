// Link reference definitions at the start of a paragraph. The paragraph loses them before its
// inline content is read, so their length tells where that content starts.
#pragma once

#include <cstddef>
#include <string_view>

namespace zav {

// The number of bytes at the start of `content` (a paragraph's lines without their container
// prefixes, each ending in its line ending) taken by link reference definitions, read as cmark
// reads them: a label of at most 1000 bytes that is not blank, a colon, a destination, an
// optional title after white space, and nothing else up to the line ending.
std::size_t leading_definitions_length(std::string_view content);

}  // namespace zav
