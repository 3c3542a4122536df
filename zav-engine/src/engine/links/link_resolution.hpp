// Resolving concepts' local Markdown links without touching the file system.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/read/source_file.hpp"
#include "zav/records.hpp"

namespace zav {

// Consumes the link sources: their destinations move into the Link records.
void resolve_local_links(std::string_view root, const std::vector<Concept>& concepts,
                         std::vector<LinkSource>& link_sources, const KnownPaths& known_paths,
                         std::vector<Link>& links, std::vector<Diagnostic>& diagnostics);

// The normalised absolute target of `destination` written in the file at
// `source_path`, or nothing when it is not a local Markdown link inside `root`.
std::optional<std::string> resolve_link_target(std::string_view root, std::string_view source_path,
                                               std::string_view destination);

}  // namespace zav
