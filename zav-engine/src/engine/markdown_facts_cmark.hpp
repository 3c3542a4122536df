// TEMPORARY: the earlier implementation, kept only to compare the two.
#pragma once
#include <string_view>
#include "zav/records.hpp"
namespace zav {
MarkdownFacts markdown_facts_cmark(std::string_view text);
}
