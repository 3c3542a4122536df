// Where a paragraph's or heading's own text starts on each of its lines, once the markers of the
// block quotes and the indentation of the list items around it are taken off (CommonMark's
// container continuation rules, tabs counted to the next multiple of four columns).
#pragma once

#include <cmark.h>

#include <cstddef>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/line_table.hpp"

namespace zav {

// A place on a line: byte offset and the column it stands at. When `partial_tab` is set the
// offset names a tab of which only part has been taken.
struct LinePosition {
  std::size_t offset = 0;
  int column = 0;
  bool partial_tab = false;
};

// How a container leaves its own first line: worked out once and shared by every block inside it.
struct ContainerOpening {
  int required = 0;    // list item: columns of indentation a continuation line needs
  LinePosition after;  // the position just past the container on its own first line
};
using ContainerOpenings = std::unordered_map<cmark_node*, ContainerOpening>;

class ContainerChain {
 public:
  // The block quotes and list items around `block`, outermost first; `openings` keeps what is
  // learnt about them for the next block.
  ContainerChain(std::string_view text, const LineTable& lines, cmark_node* block,
                 ContainerOpenings& openings);

  struct LineStart {
    LinePosition position;  // where the block's content of this line starts
    bool lazy = false;      // some container did not continue: a paragraph continuation line
  };

  // For a line after the block's first: on a line where every container continues, the first
  // character that is not a space or tab; on a lazy line, the place where matching stopped.
  LineStart content_start(std::size_t line) const;

 private:
  enum class Kind { block_quote, list_item };
  struct LineWalk;
  struct Container {
    cmark_node* node;
    Kind kind;
    std::size_t start_line;
    ContainerOpening opening;
  };

  LinePosition line_begin(std::size_t line) const;
  // Applies the continuation rule of `containers_[index]` where the walk stands; false when it
  // fails.
  bool continues(std::size_t index, LineWalk& walk) const;
  ContainerOpening open(std::size_t index) const;

  std::string_view text_;
  const LineTable& lines_;
  std::vector<Container> containers_;
};

}  // namespace zav
