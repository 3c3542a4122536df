#include "yaml/collection_layout.hpp"

#include <algorithm>

namespace zav {

std::size_t CollectionLayout::column_of(std::size_t offset) {
  if (offset == 0 || offset > text_.size()) return 0;
  // Nodes come in text order: the scan goes on from the last offset asked
  // for, so a long line is not read again for each node on it.
  if (offset >= scanned_) {
    for (; scanned_ < offset; ++scanned_) {
      if (text_[scanned_] == '\n' || text_[scanned_] == '\r') line_start_ = scanned_ + 1;
    }
    return offset - line_start_;
  }
  if (offset >= line_start_) return offset - line_start_;
  std::size_t line_break = text_.find_last_of("\r\n", offset - 1);
  return line_break == std::string_view::npos ? offset : offset - line_break - 1;
}

std::optional<LayoutError> CollectionLayout::begin_node(NodeKind kind, std::size_t offset,
                                                        std::size_t content) {
  if (in_block_collection()) {
    std::size_t column = std::min(column_of(offset), column_of(content));
    // Entries and values of a block collection are indented past it; only a
    // block sequence may stand at the column of the mapping it is a value of.
    const Open& parent = open_.back();
    bool checked = parent.sequence || parent.expects_value;
    std::size_t least =
        parent.column + (kind == NodeKind::BlockSequence && !parent.sequence ? 0 : 1);
    if (checked && kind != NodeKind::BlockMapping && column < least) {
      return LayoutError{"wrongly indented node", offset};
    }
  }
  if (kind == NodeKind::Scalar) return std::nullopt;
  bool bracketed = kind == NodeKind::FlowCollection;
  if (bracketed && ++flow_level_ > MAX_FLOW_NESTING) {
    return LayoutError{"recursion limit exceeded", offset};
  }
  bool flow = bracketed || kind == NodeKind::FlowPair;
  open_.push_back(Open{column_of(content), flow, kind == NodeKind::BlockSequence, bracketed});
  return std::nullopt;
}

void CollectionLayout::end_collection() {
  if (open_.empty()) return;
  if (open_.back().bracketed) --flow_level_;
  open_.pop_back();
  complete_child();
}

void CollectionLayout::complete_child() {
  if (!open_.empty() && !open_.back().sequence) {
    open_.back().expects_value = !open_.back().expects_value;
  }
}

}  // namespace zav
