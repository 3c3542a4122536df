// The walk of a bundle tree: every directory below the root (without
// following symbolic links or entering pruned directories) and every regular
// file whose name makes it a Markdown candidate.
#pragma once

#include <cstddef>
#include <expected>
#include <string>
#include <string_view>
#include <vector>

namespace zav {

// Directories below the root with these names are not entered.
inline constexpr std::string_view PRUNED_DIRECTORY_NAMES[] = {
    ".git", ".venv", ".ty_cache", ".mypy_cache", ".ruff_cache", "node_modules", ".pytest_cache"};

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

// Walks the tree below `root` (a canonical absolute path) depth first. Fails
// with "IO error for operation on <path>: <os error>" when a directory cannot
// be opened or an entry's type cannot be found, and with the os error text
// alone when reading an opened directory fails.
std::expected<WalkResult, std::string> walk_markdown_candidates(const std::string& root);

}  // namespace zav
