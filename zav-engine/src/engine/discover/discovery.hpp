// Finding a bundle's Markdown files under its .zavignore and exclude patterns.
#pragma once

#include <expected>
#include <string>
#include <string_view>
#include <vector>

namespace zav {

inline constexpr std::string_view PRUNED_DIRECTORY_NAMES[] = {
    ".git", ".venv", ".ty_cache", ".mypy_cache", ".ruff_cache", "node_modules", ".pytest_cache"};

// `root` is the canonical root (absolute, no "." or "..", no trailing "/"
// unless it is "/"). Returns the kept files' absolute paths sorted piece by
// piece, or the one message that ends the load.
std::expected<std::vector<std::string>, std::string> discover_markdown_files(
    std::string_view root, const std::vector<std::string>& excludes);

}  // namespace zav
