// Canonical JSON: no white space, map members ordered by the UTF-16 code units
// of their keys, strings with the minimal escapes.
#pragma once

#include <string>
#include <string_view>

#include "yaml/json_value.hpp"

namespace zav {

void write_canonical_json(const JsonValue& value, std::string& out);
void write_canonical_json(const JsonMap& map, std::string& out);
// One text as a JSON string.
void write_canonical_text(std::string_view text, std::string& out);

// True when `a` orders strictly before `b` by UTF-16 code units.
bool compare_canonical_keys(std::string_view a, std::string_view b);

}  // namespace zav
