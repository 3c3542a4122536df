// The names and paths of a bundle's files: the Markdown name test, the
// reserved names, bundle-relative paths and logical keys.
#pragma once

#include <string>
#include <string_view>

namespace zav {

// True when `name` ends in ".md" in any ASCII letter case (".md" itself too).
bool has_markdown_extension(std::string_view name);

// The file names of reserved files, compared with a file's last path piece
// byte for byte, at any depth.
inline constexpr std::string_view RESERVED_FILE_NAMES[] = {"index.md", "log.md"};

// True when `name` (a file's last path piece) is exactly one of RESERVED_FILE_NAMES.
bool is_reserved_file_name(std::string_view name);

// The part of `path` after `root`'s pieces, joined by "/", as text with
// invalid UTF-8 replaced and every backslash turned into "/". `path` must lie
// below `root`.
std::string bundle_relative_path(std::string_view root, std::string_view path);

// A bundle-relative path up to, not including, its last "."; the whole path
// when it has none.
std::string_view logical_key(std::string_view relative_path);

}  // namespace zav
