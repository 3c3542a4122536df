// The rules of index.md and log.md files.
#pragma once

#include <string_view>
#include <vector>

#include "engine/read/source_reader.hpp"
#include "yaml/json_value.hpp"
#include "zav/records.hpp"

namespace zav {

// `file` holds text. Always appends one ReservedFile.
void check_reserved_file(const SourceFile& file, std::string_view root,
                         std::vector<ReservedFile>& reserved, std::vector<Diagnostic>& diagnostics);

// True when the map holds a key other than "zav_version".
bool has_non_version_key(const JsonMap& map);

}  // namespace zav
