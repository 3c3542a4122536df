// Bundle-relative paths and logical keys.
#pragma once

#include <string>
#include <string_view>

namespace zav {

// The part of `path` after `root`'s pieces, joined by "/", as text with
// invalid UTF-8 replaced and every backslash turned into "/". `path` must lie
// below `root`.
std::string bundle_relative_path(std::string_view root, std::string_view path);

// A bundle-relative path up to, not including, its last "."; the whole path
// when it has none.
std::string_view logical_key(std::string_view relative_path);

}  // namespace zav
