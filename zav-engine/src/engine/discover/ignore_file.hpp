// The bundle's ".zavignore" file: its lines as ignore rules.
#pragma once

#include <expected>
#include <string>
#include <vector>

#include "engine/discover/ignore_rules.hpp"

namespace zav {

// The rules of the ignore file at `path`, in line order. A file that does not
// exist, whose status cannot be taken or that is not a regular file gives no
// rules. Fails with "<path>: <os error>" when the file cannot be opened, and
// with one "<path>: line N: <error>" text per rejected, unreadable or
// non-UTF-8 line, joined by line feeds.
std::expected<std::vector<IgnoreRule>, std::string> read_ignore_file(const std::string& path);

}  // namespace zav
