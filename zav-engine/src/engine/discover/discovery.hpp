// Finding a bundle's Markdown files under its .zavignore and exclude patterns.
#pragma once

#include <expected>
#include <string>
#include <string_view>
#include <vector>

namespace zav {

// `root` is the canonical root (absolute, no "." or "..", no trailing "/"
// unless it is "/"). Returns the kept files' absolute paths sorted piece by
// piece, or the one message that ends the load.
std::expected<std::vector<std::string>, std::string> discover_markdown_files(
    std::string_view root, const std::vector<std::string>& excludes);

}  // namespace zav
