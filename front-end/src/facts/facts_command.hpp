// The __engine-facts command: Markdown texts on standard input, their links
// and headings as the facts document on standard output.
#pragma once

#include <vector>

#include "command_error.hpp"
#include "process.hpp"
#include "zav/records.hpp"

namespace zav {

// Reads and parses all of standard input and computes every document's facts
// before the first byte is written.
CommandResult run_facts_command();

// The facts document: one compact JSON array of {"links":[..],"headings":[..]},
// one object per MarkdownFacts, in order, each heading as [level,text].
// Returns the first failed write.
WriteResult write_facts_json(const std::vector<MarkdownFacts>& facts, OutputStream& locked_stream);

}  // namespace zav
