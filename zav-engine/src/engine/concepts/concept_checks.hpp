// Turning one concept file into a Concept, with a LinkSource when it has links,
// or into a diagnostic.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/links/link_resolution.hpp"
#include "engine/read/source_reader.hpp"
#include "yaml/json_value.hpp"
#include "zav/records.hpp"

namespace zav {

// `file` holds text (reads that failed never get here); the concept's body
// and its path are taken out of it.
void check_concept_file(SourceFile& file, std::vector<Concept>& concepts,
                        std::vector<LinkSource>& link_sources,
                        std::vector<Diagnostic>& diagnostics);

// Every CR LF and every lone CR becomes one LF.
std::string normalize_line_ends(std::string_view text);

// The value under `key` when it is text; nothing otherwise.
std::optional<std::string> string_field(const JsonMap& map, std::string_view key);

}  // namespace zav
