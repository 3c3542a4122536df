// Working records of one load: a file after the parallel read, a concept's
// links for resolution, and the set of discovered paths.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <variant>

#include "base/text.hpp"
#include "zav/records.hpp"

namespace zav {

// The error message of a failed read.
struct ReadFailure {
  std::string message;
};

struct SourceFile {
  // The whole file text (valid UTF-8, unchanged), or why it could not be read.
  std::variant<std::string, ReadFailure> content;
  std::string absolute_path;
  std::string relative_path;
};

// A concept's absolute path with the facts of its body; runs parallel to the
// concept list.
struct LinkSource {
  std::string absolute_path;
  MarkdownFacts facts;
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

}  // namespace zav
