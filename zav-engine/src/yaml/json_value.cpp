#include "yaml/json_value.hpp"

#include <algorithm>
#include <utility>
#include <vector>

namespace zav {

JsonValueShape measure_json_value(const JsonValue& value) {
  JsonValueShape shape;
  // Values still to visit, each with the number of collections around it.
  std::vector<std::pair<const JsonValue*, std::size_t>> pending;
  pending.reserve(16);
  pending.emplace_back(&value, 0);
  while (!pending.empty()) {
    auto [node, around] = pending.back();
    pending.pop_back();
    ++shape.nodes;
    if (const auto* text = node->as_text()) {
      shape.text_bytes += text->size();
    } else if (const auto* list = node->as_list()) {
      shape.depth = std::max(shape.depth, around + 1);
      for (const auto& item : *list) pending.emplace_back(&item, around + 1);
    } else if (const auto* map = node->as_map()) {
      shape.depth = std::max(shape.depth, around + 1);
      for (const auto& [key, item] : *map) {
        shape.text_bytes += key.size();
        pending.emplace_back(&item, around + 1);
      }
    }
  }
  return shape;
}

}  // namespace zav
