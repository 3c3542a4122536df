#include "engine/reserved_checks.hpp"

#include <algorithm>

namespace zav {

bool is_reserved_file_name(std::string_view name) {
  return std::ranges::find(RESERVED_FILE_NAMES, name) != std::end(RESERVED_FILE_NAMES);
}

void check_reserved_file(const SourceFile&, std::string_view, std::vector<ReservedFile>&,
                         std::vector<Diagnostic>&) {}

bool has_non_version_key(const JsonMap&) { return false; }

}  // namespace zav
