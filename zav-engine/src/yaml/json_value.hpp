// The JSON values a frontmatter map holds: null, text, list and map. Maps keep
// their keys in unsigned byte order (std::string compares through
// char_traits<char>, which orders bytes as unsigned values).
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <variant>
#include <vector>

namespace zav {

struct JsonValue;
using JsonList = std::vector<JsonValue>;
using JsonMap = std::map<std::string, JsonValue, std::less<>>;

struct JsonValue {
  std::variant<std::monostate, std::string, JsonList, JsonMap> value;

  bool is_null() const { return std::holds_alternative<std::monostate>(value); }
  const std::string* as_text() const { return std::get_if<std::string>(&value); }
  const JsonList* as_list() const { return std::get_if<JsonList>(&value); }
  const JsonMap* as_map() const { return std::get_if<JsonMap>(&value); }
};

// How much a value holds: every value counts one node (map keys do not),
// depth is the number of nested lists and maps (0 for null and text), and
// text_bytes the bytes of its texts and map keys.
struct JsonValueShape {
  std::size_t nodes = 0;
  std::size_t depth = 0;
  std::size_t text_bytes = 0;
};

// Measured without recursion, so any depth is safe.
JsonValueShape measure_json_value(const JsonValue& value);

}  // namespace zav
