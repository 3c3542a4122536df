// The walk of a bundle tree: every directory below the root (without
// following symbolic links or entering pruned directories) and every regular
// file whose name makes it a Markdown candidate.
#pragma once

#include <cstddef>
#include <expected>
#include <string>
#include <vector>

namespace zav {

struct WalkedDirectory {
  std::string relative_path;  // "" for the root; pieces joined by "/", as raw bytes
  std::size_t parent;         // index of the parent directory; the root's is its own
};

struct WalkedFile {
  std::string relative_path;
  std::size_t directory;  // index of the directory that holds it
};

struct WalkResult {
  std::vector<WalkedDirectory> directories;  // the root first; parents before children
  std::vector<WalkedFile> files;
};

// A regular file is a candidate when its name is UTF-8 and ends in ".md" in
// any ASCII letter case.
bool is_markdown_name(std::string_view name);

// Walks the tree below `root` (a canonical absolute path) depth first. Fails
// with "IO error for operation on <path>: <os error>" when a directory cannot
// be opened or an entry's type cannot be found, and with the os error text
// alone when reading an opened directory fails.
std::expected<WalkResult, std::string> walk_markdown_candidates(const std::string& root);

}  // namespace zav
