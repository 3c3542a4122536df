// The open collections of a YAML stream as the parser reports them: where
// each starts, flow or block, and whether a mapping waits for a key or a
// value. It enforces the flow nesting limit, the indentation rules and the
// length of implicit keys, which the parser does not check itself.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "yaml/yaml_source.hpp"

namespace zav {

// Flow collections nest at most this deep.
inline constexpr std::size_t MAX_FLOW_NESTING = 255;
// An implicit key (one without "?") of a block mapping or of a single pair
// in a flow sequence, with its properties and the white space before its
// ":", is at most this many characters long.
inline constexpr std::size_t MAX_IMPLICIT_KEY_CHARACTERS = 1024;

// A flow pair is the single-pair mapping that "[a: b]" holds: a flow
// collection without brackets of its own.
enum class NodeKind { Scalar, FlowCollection, FlowPair, BlockMapping, BlockSequence };

class CollectionLayout {
 public:
  explicit CollectionLayout(std::string_view text)
      : text_(text), has_cr_(text.find('\r') != std::string_view::npos) {
    next_break_ = next_line_break(0);
  }

  // A node begins at `offset` (its first property, else its content) and
  // its content at `content`. A collection is opened too.
  std::optional<SourceError> begin_node(NodeKind kind, std::size_t offset, std::size_t content);
  // The innermost collection ends at `end`; that completes a node of its
  // parent.
  std::optional<SourceError> end_collection(std::size_t end);
  // A scalar or alias node is complete; its source ends at `end`.
  std::optional<SourceError> end_scalar(std::size_t end) { return complete_child(end); }

  bool in_block_collection() const { return !open_.empty() && !open_.back().flow; }
  bool in_flow_collection() const { return !open_.empty() && open_.back().flow; }
  bool in_block_sequence() const { return in_block_collection() && open_.back().sequence; }
  // True when the innermost collection is a block mapping whose key is
  // complete and whose value has not begun.
  bool awaits_block_value() const {
    return in_block_collection() && !open_.back().sequence && open_.back().expects_value;
  }
  // The column at which the innermost collection starts.
  std::size_t innermost_column() const { return open_.empty() ? 0 : open_.back().column; }

 private:
  struct Open {
    std::size_t column;
    bool flow;
    bool sequence;
    bool bracketed;
    bool expects_value = false;  // a mapping whose key is complete
    std::size_t key_start = NO_KEY;  // where the key being read begins
  };
  static constexpr std::size_t NO_KEY = static_cast<std::size_t>(-1);

  std::size_t column_of(std::size_t offset);
  std::size_t next_line_break(std::size_t from) const;
  std::optional<SourceError> complete_child(std::size_t end);
  std::optional<SourceError> check_implicit_key(std::size_t start, std::size_t end) const;

  std::string_view text_;
  bool has_cr_;
  std::vector<Open> open_;
  std::size_t flow_level_ = 0;
  std::size_t line_start_ = 0;  // where the line last asked for starts
  std::size_t next_break_ = 0;  // the line break that ends it
};

}  // namespace zav
