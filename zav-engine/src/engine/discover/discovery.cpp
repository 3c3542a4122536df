#include "engine/discover/discovery.hpp"

#include <algorithm>
#include <new>

#include "base/os_error.hpp"
#include "base/path_pieces.hpp"
#include "engine/discover/directory_walk.hpp"
#include "engine/discover/ignore_file.hpp"
#include "engine/discover/ignore_rules.hpp"

namespace zav {
namespace {

// The ignore rules: the lines of the root's .zavignore, then each exclude
// pattern as a line of its own.
std::expected<IgnoreMatcher, std::string> build_matcher(const std::string& root,
                                                        const std::vector<std::string>& excludes) {
  auto rules = read_ignore_file(join_path(root, ".zavignore"));
  if (!rules) return std::unexpected(std::move(rules.error()));
  for (const std::string& exclude : excludes) {
    auto rule = parse_ignore_line(exclude);
    if (!rule) return std::unexpected(std::move(rule.error()));
    if (rule->has_value()) rules->push_back(std::move(**rule));
  }
  return IgnoreMatcher::build(std::move(*rules));
}

// A file is tested first by its own path; when no rule matches it, by its
// directory, then each directory further out, up to the root. What a
// directory's chain says is worked out once per directory, parents first.
std::vector<std::string> kept_files(WalkResult& walk, const IgnoreMatcher& matcher) {
  std::vector<std::string> kept;
  kept.reserve(walk.files.size());
  if (matcher.empty()) {
    for (WalkedFile& file : walk.files) kept.push_back(std::move(file.relative_path));
    return kept;
  }
  std::vector<IgnoreVerdict> chain(walk.directories.size(), IgnoreVerdict::none);
  for (std::size_t i = 0; i < walk.directories.size(); ++i) {
    IgnoreVerdict verdict = matcher.verdict(walk.directories[i].relative_path, true);
    if (verdict == IgnoreVerdict::none && i != 0) verdict = chain[walk.directories[i].parent];
    chain[i] = verdict;
  }
  for (WalkedFile& file : walk.files) {
    IgnoreVerdict verdict = matcher.verdict(file.relative_path, false);
    if (verdict == IgnoreVerdict::none) verdict = chain[file.directory];
    if (verdict != IgnoreVerdict::ignore) kept.push_back(std::move(file.relative_path));
  }
  return kept;
}

// Relative paths have no empty or "." pieces, so ordering them piece by
// piece is byte order with "/" below every other byte.
bool relative_path_less(std::string_view a, std::string_view b) {
  auto [in_a, in_b] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  if (in_b == b.end()) return false;
  if (in_a == a.end()) return true;
  auto rank = [](char c) { return c == '/' ? 0u : static_cast<unsigned char>(c) + 1u; };
  return rank(*in_a) < rank(*in_b);
}

}  // namespace

std::expected<std::vector<std::string>, std::string> discover_markdown_files(
    std::string_view root_path, const std::vector<std::string>& excludes) {
  try {
    std::string root(root_path);
    auto matcher = build_matcher(root, excludes);
    if (!matcher) return std::unexpected(std::move(matcher.error()));
    auto walk = walk_markdown_candidates(root);
    if (!walk) return std::unexpected(std::move(walk.error()));

    std::vector<std::string> files = kept_files(*walk, *matcher);
    std::sort(files.begin(), files.end(), relative_path_less);
    for (std::string& file : files) file = join_path(root, file);
    return files;
  } catch (const std::bad_alloc&) {
    return std::unexpected(std::string(OUT_OF_MEMORY));
  }
}

}  // namespace zav
