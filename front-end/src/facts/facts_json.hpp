// The facts document: one compact JSON array of {"links":[..],"headings":[..]}.
#pragma once

#include <vector>

#include "stdout_stream.hpp"
#include "zav/records.hpp"

namespace zav {

// Writes one object per MarkdownFacts, in order, each heading as
// [level,text]. Returns the first failed write.
WriteResult write_facts_json(const std::vector<MarkdownFacts>& facts, OutputStream& locked_stream);

}  // namespace zav
