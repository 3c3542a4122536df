// The rules of index.md and log.md files.
#pragma once

#include <string_view>
#include <vector>

#include "engine/read/source_file.hpp"
#include "yaml/json_value.hpp"
#include "zav/records.hpp"

namespace zav {

inline constexpr std::string_view RESERVED_FILE_NAMES[] = {"index.md", "log.md"};

// True when `name` (a file's last path piece) is exactly one of RESERVED_FILE_NAMES.
bool is_reserved_file_name(std::string_view name);

// `file` holds text. Always appends one ReservedFile.
void check_reserved_file(const SourceFile& file, std::string_view root,
                         std::vector<ReservedFile>& reserved, std::vector<Diagnostic>& diagnostics);

// True when the map holds a key other than "zav_version".
bool has_non_version_key(const JsonMap& map);

}  // namespace zav
