// Link reference definitions: the map from normalized labels to destinations, and the reading of
// the definitions that open a paragraph.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "base/text.hpp"

namespace zav::markdown {

class ReferenceMap {
 public:
  // Keeps the first destination given for a label.
  void add(const std::string& normalized_label, std::string_view raw_destination);
  const std::string* find(std::string_view normalized_label) const;
  bool empty() const { return destinations_.empty(); }

 private:
  std::unordered_map<std::string, std::string, TextHash, std::equal_to<>> destinations_;
};

// Reads the definitions at the start of a paragraph's content (its lines joined by "\n", each
// without the white space that opened it) and adds them to `references`. Returns the length
// they take: up to the start of a line, or the whole content. A definition may follow another
// on a line of any indentation, since a paragraph's later lines may be indented at will.
std::size_t read_definitions(std::string_view content, ReferenceMap& references);

}  // namespace zav::markdown
