// Builds frontmatter values from YAML parser events: anchors, alias copies,
// "<<" merges, duplicate keys, and the bounds on nesting and alias growth.
#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

#include "yaml/json_value.hpp"
#include "yaml/yaml_events.hpp"

namespace zav {

// Bounds that keep hostile frontmatter from exhausting memory or the stack.
// Anchors and alias copies may make at most MAX_FRONTMATTER_NODES nodes, and
// copy at most ALIAS_TEXT_FACTOR times the YAML text's size plus
// ALIAS_TEXT_ALLOWANCE bytes of text (scalars and keys).
inline constexpr std::size_t MAX_FRONTMATTER_NODES = 1'000'000;
inline constexpr std::size_t MAX_FRONTMATTER_DEPTH = 1'000;
inline constexpr std::size_t ALIAS_TEXT_FACTOR = 64;
inline constexpr std::size_t ALIAS_TEXT_ALLOWANCE = std::size_t{1} << 20;

// The copy of a finished anchored node, with its size for the bounds.
struct AnchoredValue {
  JsonValue value;
  JsonValueShape shape;
};

using AnchorTable = std::unordered_map<std::uint64_t, AnchoredValue>;

// The two kinds of an open YAML collection.
struct SequenceFrame {
  JsonList items;
  std::uint64_t anchor_id = 0;
};

struct MappingFrame {
  std::optional<std::string> pending_key;
  JsonMap entries;
  // Keys that only a merge supplied, as views of the keys in `entries`.
  std::set<std::string_view> merged_keys;
  std::uint64_t anchor_id = 0;
};

// One open YAML collection.
struct CollectionFrame {
  using Sequence = SequenceFrame;
  using Mapping = MappingFrame;
  std::variant<Sequence, Mapping> kind;
};

// The items of a "<<" list as maps, or the message for an item that is not one.
std::expected<std::vector<JsonMap>, std::string> collect_merge_maps(JsonList list);

class FrontmatterReceiver final : public YamlEventReceiver {
 public:
  // `yaml_size` is the size of the YAML text, which bounds the text that
  // anchors and aliases may copy.
  explicit FrontmatterReceiver(std::size_t yaml_size = 0);

  // Returns false when the open collections nest too deep: the rest of the
  // text must not be read.
  bool on_event(const YamlEvent& event) override;
  void restart() override { *this = FrontmatterReceiver(yaml_size_); }

  const std::optional<std::string>& error() const { return error_; }
  std::vector<JsonValue>& document_roots() { return document_roots_; }

 private:
  // Places a finished node into the innermost open collection, or as a root.
  void insert_node(JsonValue value, std::uint64_t anchor_id);
  // Stores `message` as the error, replacing any, and yields nothing to merge.
  std::vector<JsonMap> record_merge_error(std::string message);
  void fail(std::string message);
  CollectionFrame& push_frame();
  void on_collection_end();
  void on_alias(std::uint64_t anchor_id);
  void insert_into_mapping(CollectionFrame::Mapping& mapping, JsonValue value);
  void merge(CollectionFrame::Mapping& mapping, JsonValue value);
  // Counts one more copy of a value of that shape; false (and the error)
  // past the bounds.
  bool count_copy(const JsonValueShape& shape);

  std::vector<JsonValue> document_roots_;
  std::vector<CollectionFrame> stack_;
  std::optional<std::string> error_;
  AnchorTable anchors_;
  std::size_t yaml_size_ = 0;
  std::size_t max_copied_text_ = 0;
  std::size_t copied_nodes_ = 0;      // nodes made for anchors and aliases
  std::size_t copied_text_ = 0;       // bytes of text in those nodes
  std::size_t open_collections_ = 0;  // counted from the events, also after an error
};

}  // namespace zav
