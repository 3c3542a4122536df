#include "yaml/collection_layout.hpp"

#include <algorithm>
#include <cstring>
#include <utility>

namespace zav {

// The offset of the first line break at or after `from`; the size of the
// text when there is none.
std::size_t CollectionLayout::next_line_break(std::size_t from) const {
  if (from >= text_.size()) return text_.size();
  std::size_t length = text_.size() - from;
  const void* lf = std::memchr(text_.data() + from, '\n', length);
  // A CR is a line break too; once the text holds none, only LF is looked for.
  const void* cr = has_cr_ ? std::memchr(text_.data() + from, '\r', length) : nullptr;
  const void* first = lf == nullptr ? cr : cr == nullptr ? lf : std::min(lf, cr);
  return first == nullptr ? text_.size()
                          : static_cast<std::size_t>(static_cast<const char*>(first) - text_.data());
}

std::size_t CollectionLayout::column_of(std::size_t offset) {
  if (offset == 0 || offset > text_.size()) return 0;
  // A byte-order mark that begins the text stands in no column.
  constexpr std::string_view BYTE_ORDER_MARK = "\xEF\xBB\xBF";
  if (text_.starts_with(BYTE_ORDER_MARK) && offset >= BYTE_ORDER_MARK.size() &&
      text_.find_first_of("\r\n") >= offset) {
    return offset - BYTE_ORDER_MARK.size();
  }
  // Nodes come in text order: the line is followed forward from the last
  // one asked for, each line break found once.
  if (offset >= line_start_) {
    while (next_break_ < offset) {
      line_start_ = next_break_ + 1;
      next_break_ = next_line_break(line_start_);
    }
    return offset - line_start_;
  }
  std::size_t line_break = text_.find_last_of("\r\n", offset - 1);
  return line_break == std::string_view::npos ? offset : offset - line_break - 1;
}

std::optional<SourceError> CollectionLayout::begin_node(NodeKind kind, std::size_t offset,
                                                        std::size_t content) {
  std::size_t content_column = column_of(content);
  if (in_block_collection()) {
    std::size_t column = offset == content ? content_column : std::min(column_of(offset), content_column);
    // Entries and values of a block collection are indented past it; only a
    // block sequence may stand at the column of the mapping it is a value of.
    const Open& parent = open_.back();
    bool checked = parent.sequence || parent.expects_value;
    std::size_t least =
        parent.column + (kind == NodeKind::BlockSequence && !parent.sequence ? 0 : 1);
    if (checked && kind != NodeKind::BlockMapping && column < least) {
      return SourceError{"wrongly indented node", offset};
    }
  }
  // Keys of block mappings and flow pairs are measured once complete.
  if (!open_.empty() && !open_.back().sequence && !open_.back().bracketed &&
      !open_.back().expects_value) {
    open_.back().key_start = offset;
  }
  if (kind == NodeKind::Scalar) return std::nullopt;
  bool bracketed = kind == NodeKind::FlowCollection;
  if (bracketed && ++flow_level_ > MAX_FLOW_NESTING) {
    return SourceError{"recursion limit exceeded", offset};
  }
  bool flow = bracketed || kind == NodeKind::FlowPair;
  if (open_.capacity() == 0) open_.reserve(8);
  open_.push_back(Open{content_column, flow, kind == NodeKind::BlockSequence, bracketed});
  return std::nullopt;
}

std::optional<SourceError> CollectionLayout::end_collection(std::size_t end) {
  if (open_.empty()) return std::nullopt;
  if (open_.back().bracketed) --flow_level_;
  open_.pop_back();
  return complete_child(end);
}

std::optional<SourceError> CollectionLayout::complete_child(std::size_t end) {
  if (open_.empty() || open_.back().sequence) return std::nullopt;
  Open& mapping = open_.back();
  mapping.expects_value = !mapping.expects_value;
  if (!mapping.expects_value || mapping.key_start == NO_KEY) return std::nullopt;
  std::size_t start = std::exchange(mapping.key_start, NO_KEY);
  return check_implicit_key(start, end);
}

// A key is implicit when it stands on one line and its ":" follows it there.
std::optional<SourceError> CollectionLayout::check_implicit_key(std::size_t start,
                                                                std::size_t end) const {
  std::size_t colon = std::min(end, text_.size());
  while (colon < text_.size() && (text_[colon] == ' ' || text_[colon] == '\t')) ++colon;
  if (colon >= text_.size() || text_[colon] != ':' || colon <= start) return std::nullopt;
  std::string_view key = text_.substr(start, colon - start);
  if (key.size() <= MAX_IMPLICIT_KEY_CHARACTERS) return std::nullopt;  // bytes bound characters
  if (key.find_first_of("\r\n") != std::string_view::npos) return std::nullopt;
  std::size_t characters = 0;
  for (char c : key) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  if (characters <= MAX_IMPLICIT_KEY_CHARACTERS) return std::nullopt;
  return SourceError{"implicit key is longer than 1024 characters", colon};
}

}  // namespace zav
