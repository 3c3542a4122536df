// Markdown facts: what one Markdown text (plain CommonMark) yields, its link
// destinations and headings in document order. The face of the Markdown
// parser to the checks; zav/engine.hpp gives the same function to callers.
#pragma once

#include <string_view>

#include "zav/records.hpp"

namespace zav {

// Never fails.
MarkdownFacts markdown_facts(std::string_view text);

}  // namespace zav
