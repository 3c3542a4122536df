// The open collections of a YAML stream as the parser reports them: where
// each starts, flow or block, and whether a mapping waits for a key or a
// value. It enforces the flow nesting limit and the indentation rules that
// the parser does not check itself.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace zav {

// Flow collections nest at most this deep.
inline constexpr std::size_t MAX_FLOW_NESTING = 255;

struct LayoutError {
  const char* description;
  std::size_t offset;
};

// A flow pair is the single-pair mapping that "[a: b]" holds: a flow
// collection without brackets of its own.
enum class NodeKind { Scalar, FlowCollection, FlowPair, BlockMapping, BlockSequence };

class CollectionLayout {
 public:
  explicit CollectionLayout(std::string_view text) : text_(text) {}

  // A node begins at `offset` (its first property, else its content) and
  // its content at `content`. A collection is opened too.
  std::optional<LayoutError> begin_node(NodeKind kind, std::size_t offset, std::size_t content);
  // The innermost collection ends; that completes a node of its parent.
  void end_collection();
  // A scalar or alias node is complete.
  void end_scalar() { complete_child(); }

  bool in_block_collection() const { return !open_.empty() && !open_.back().flow; }
  bool in_block_sequence() const { return in_block_collection() && open_.back().sequence; }
  // The column at which the innermost collection starts.
  std::size_t innermost_column() const { return open_.empty() ? 0 : open_.back().column; }

 private:
  struct Open {
    std::size_t column;
    bool flow;
    bool sequence;
    bool bracketed;
    bool expects_value = false;  // a mapping whose key is complete
  };

  std::size_t column_of(std::size_t offset);
  void complete_child();

  std::string_view text_;
  std::vector<Open> open_;
  std::size_t flow_level_ = 0;
  std::size_t scanned_ = 0;     // the text before this offset has been scanned
  std::size_t line_start_ = 0;  // where the line holding `scanned_` starts
};

}  // namespace zav
