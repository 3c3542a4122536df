// The links of one paragraph's or heading's inline content.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/markdown/references.hpp"

namespace zav::markdown {

// Appends to `links` the destination of every link in `content` (inline content whose lines are
// joined by "\n"), in the order in which the links start: inline links, reference links whose
// label `references` defines, and autolinks. Images are no links, but links in their
// descriptions are. Only what decides links is read: emphasis is left alone.
void find_links(std::string_view content, const ReferenceMap& references,
                std::vector<std::string>& links);

}  // namespace zav::markdown
