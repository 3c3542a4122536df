#include "yaml/frontmatter_receiver.hpp"

#include <cstdint>
#include <utility>

namespace zav {
namespace {

constexpr std::string_view YAML_CORE_TAG_PREFIX = "tag:yaml.org,2002:";
constexpr std::string_view MERGE_KEY = "<<";

bool is_null_scalar(const YamlEvent& event) {
  if (event.tag && event.tag->handle == YAML_CORE_TAG_PREFIX && event.tag->suffix == "null") {
    return true;
  }
  if (event.style != ScalarStyle::Plain) return false;
  std::string_view text = event.text;
  return text.empty() || text == "~" || text == "null" || text == "Null" || text == "NULL";
}

}  // namespace

FrontmatterReceiver::FrontmatterReceiver(std::size_t yaml_size)
    : yaml_size_(yaml_size),
      max_copied_text_(yaml_size > (SIZE_MAX - ALIAS_TEXT_ALLOWANCE) / ALIAS_TEXT_FACTOR
                           ? SIZE_MAX
                           : yaml_size * ALIAS_TEXT_FACTOR + ALIAS_TEXT_ALLOWANCE) {}

std::expected<std::vector<JsonMap>, std::string> collect_merge_maps(JsonList list) {
  std::vector<JsonMap> maps;
  maps.reserve(list.size());
  for (JsonValue& item : list) {
    auto* map = std::get_if<JsonMap>(&item.value);
    if (map == nullptr) return std::unexpected("YAML merge sequence items must be mappings");
    maps.push_back(std::move(*map));
  }
  return maps;
}

bool FrontmatterReceiver::on_event(const YamlEvent& event) {
  bool opens =
      event.type == YamlEventType::SequenceStart || event.type == YamlEventType::MappingStart;
  bool closes = event.type == YamlEventType::SequenceEnd || event.type == YamlEventType::MappingEnd;
  if (opens && ++open_collections_ > MAX_FRONTMATTER_DEPTH) {
    if (!error_) fail("frontmatter nesting is too deep");
    return false;
  }
  if (closes && open_collections_ > 0) --open_collections_;
  if (error_) return true;

  switch (event.type) {
    case YamlEventType::Scalar:
      insert_node(is_null_scalar(event) ? JsonValue{} : JsonValue{std::string(event.text)},
                  event.anchor_id);
      break;
    case YamlEventType::SequenceStart:
      push_frame().kind.emplace<CollectionFrame::Sequence>().anchor_id = event.anchor_id;
      break;
    case YamlEventType::MappingStart:
      push_frame().kind.emplace<CollectionFrame::Mapping>().anchor_id = event.anchor_id;
      break;
    case YamlEventType::SequenceEnd:
    case YamlEventType::MappingEnd:
      on_collection_end();
      break;
    case YamlEventType::Alias:
      on_alias(event.anchor_id);
      break;
    default:
      break;  // stream and document boundaries change nothing
  }
  return true;
}

CollectionFrame& FrontmatterReceiver::push_frame() {
  // Room for the usual depth at once, so frames are not moved as it grows.
  if (stack_.capacity() == 0) stack_.reserve(8);
  return stack_.emplace_back();
}

void FrontmatterReceiver::fail(std::string message) {
  error_ = std::move(message);
}

bool FrontmatterReceiver::count_copy(const JsonValueShape& shape) {
  if (shape.nodes > MAX_FRONTMATTER_NODES - copied_nodes_ ||
      shape.text_bytes > max_copied_text_ - copied_text_) {
    fail("frontmatter is too large after alias expansion");
    return false;
  }
  copied_nodes_ += shape.nodes;
  copied_text_ += shape.text_bytes;
  return true;
}

void FrontmatterReceiver::on_collection_end() {
  if (stack_.empty()) return fail("unexpected YAML collection end");
  // The contents move out of the frame, which is dropped in place.
  JsonValue value;
  std::uint64_t anchor_id = 0;
  if (auto* sequence = std::get_if<CollectionFrame::Sequence>(&stack_.back().kind)) {
    value.value = std::move(sequence->items);
    anchor_id = sequence->anchor_id;
  } else {
    auto& mapping = std::get<CollectionFrame::Mapping>(stack_.back().kind);
    if (mapping.pending_key) {
      stack_.pop_back();
      return fail("mapping key has no value");
    }
    value.value = std::move(mapping.entries);
    anchor_id = mapping.anchor_id;
  }
  stack_.pop_back();
  insert_node(std::move(value), anchor_id);
}

void FrontmatterReceiver::on_alias(std::uint64_t anchor_id) {
  auto found = anchors_.find(anchor_id);
  if (found == anchors_.end()) return fail("frontmatter contains a cyclic YAML anchor");
  const AnchoredValue& anchored = found->second;
  if (stack_.size() + anchored.shape.depth > MAX_FRONTMATTER_DEPTH) {
    return fail("frontmatter nesting is too deep");
  }
  if (!count_copy(anchored.shape)) return;
  insert_node(anchored.value, 0);
}

void FrontmatterReceiver::insert_node(JsonValue value, std::uint64_t anchor_id) {
  if (anchor_id != 0) {
    JsonValueShape shape = measure_json_value(value);
    if (!count_copy(shape)) return;
    anchors_.insert_or_assign(anchor_id, AnchoredValue{value, shape});
  }
  if (stack_.empty()) {
    document_roots_.push_back(std::move(value));
    return;
  }
  CollectionFrame& top = stack_.back();
  if (auto* sequence = std::get_if<CollectionFrame::Sequence>(&top.kind)) {
    if (sequence->items.empty()) sequence->items.reserve(4);  // grown once for short lists
    sequence->items.push_back(std::move(value));
  } else {
    insert_into_mapping(std::get<CollectionFrame::Mapping>(top.kind), std::move(value));
  }
}

void FrontmatterReceiver::insert_into_mapping(CollectionFrame::Mapping& mapping, JsonValue value) {
  if (!mapping.pending_key) {
    auto* key = std::get_if<std::string>(&value.value);
    if (key == nullptr) return fail("frontmatter keys must be strings");
    mapping.pending_key = std::move(*key);
    return;
  }
  std::string key = std::move(*mapping.pending_key);
  mapping.pending_key.reset();
  if (key == MERGE_KEY) return merge(mapping, std::move(value));
  auto [entry, added] = mapping.entries.try_emplace(std::move(key));
  if (!added) {
    auto merged = mapping.merged_keys.find(entry->first);
    if (merged == mapping.merged_keys.end()) {
      return fail("duplicated key in mapping: " + entry->first);
    }
    mapping.merged_keys.erase(merged);  // the mapping's own value wins from now on
  }
  entry->second = std::move(value);
}

std::vector<JsonMap> FrontmatterReceiver::record_merge_error(std::string message) {
  fail(std::move(message));
  return {};
}

void FrontmatterReceiver::merge(CollectionFrame::Mapping& mapping, JsonValue value) {
  std::vector<JsonMap> maps;
  if (auto* map = std::get_if<JsonMap>(&value.value)) {
    maps.push_back(std::move(*map));
  } else if (auto* list = std::get_if<JsonList>(&value.value)) {
    auto collected = collect_merge_maps(std::move(*list));
    maps = collected ? std::move(*collected) : record_merge_error(std::move(collected.error()));
  } else {
    return fail("YAML merge value must be a mapping");
  }
  // The entries move over whole; one whose key is there already is dropped.
  for (JsonMap& map : maps) {
    while (!map.empty()) {
      auto inserted = mapping.entries.insert(map.extract(map.begin()));
      if (inserted.inserted) mapping.merged_keys.insert(inserted.position->first);
    }
  }
}

}  // namespace zav
