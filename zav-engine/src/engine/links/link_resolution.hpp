// Resolving concepts' local Markdown links without touching the file system.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "base/text.hpp"
#include "zav/records.hpp"

namespace zav {

// The links of one concept that has any: its place in the concept list, its
// file's absolute path as discovered, and the link destinations of its body
// in document order.
struct LinkSource {
  std::size_t concept_index;
  std::string absolute_path;
  std::vector<std::string> links;
};

// Every discovered Markdown file, compared piece by piece.
class KnownPaths {
 public:
  void insert(std::string_view path);
  // For a path already in key form (see path_key), such as a resolved link target.
  bool contains_key(std::string_view key) const { return keys_.find(key) != keys_.end(); }

 private:
  std::unordered_set<std::string, TextHash, std::equal_to<>> keys_;
};

// Consumes the link sources, in concept order: their destinations move into
// the Link records.
void resolve_local_links(std::string_view root, const std::vector<Concept>& concepts,
                         std::vector<LinkSource>& link_sources, const KnownPaths& known_paths,
                         std::vector<Link>& links, std::vector<Diagnostic>& diagnostics);

// The normalised absolute target of `destination` written in the file at
// `source_path`, or nothing when it is not a local Markdown link inside `root`.
std::optional<std::string> resolve_link_target(std::string_view root, std::string_view source_path,
                                               std::string_view destination);

}  // namespace zav
