#include "engine/container_prefix.hpp"

#include <algorithm>

#include "engine/markdown_chars.hpp"
namespace zav {
namespace {

constexpr int TAB_STOP = 4;

// One line of the text as the block parser walks it: its bytes up to the line ending, then a
// line feed.
struct LineView {
  std::string_view text;
  std::size_t end;

  char at(std::size_t offset) const { return offset < end ? text[offset] : '\n'; }

  // Moves `count` columns on; a tab that is only partly taken stays current.
  void advance_columns(LinePosition& position, int count) const {
    while (count > 0 && position.offset < end) {
      if (text[position.offset] == '\t') {
        int to_tab = TAB_STOP - position.column % TAB_STOP;
        position.partial_tab = to_tab > count;
        int step = std::min(count, to_tab);
        position.column += step;
        if (!position.partial_tab) ++position.offset;
        count -= step;
      } else {
        position.partial_tab = false;
        ++position.offset;
        ++position.column;
        --count;
      }
    }
  }

  // The first character at or after `position` that is not a space or tab.
  LinePosition first_nonspace(LinePosition position) const {
    int to_tab = TAB_STOP - position.column % TAB_STOP;
    LinePosition found{position.offset, position.column, false};
    while (found.offset < end) {
      char c = text[found.offset];
      if (c == ' ') {
        ++found.offset;
        ++found.column;
        if (--to_tab == 0) to_tab = TAB_STOP;
      } else if (c == '\t') {
        ++found.offset;
        found.column += to_tab;
        to_tab = TAB_STOP;
      } else {
        break;
      }
    }
    return found;
  }
};

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// Width of the list marker at `offset`: a bullet, or up to nine digits and "." or ")".
int marker_width(const LineView& view, std::size_t offset) {
  if (!is_digit(view.at(offset))) return 1;
  int digits = 0;
  while (digits < 9 && is_digit(view.at(offset + digits))) ++digits;
  return digits + 1;
}

}  // namespace

// A walk along one line that remembers the first non-space character ahead, as the block parser
// does, so that deep containers do not scan the same indentation again and again.
struct ContainerChain::LineWalk {
  LineView view;
  LinePosition position;
  LinePosition nonspace{};
  bool nonspace_known = false;

  LinePosition first_nonspace() {
    if (!nonspace_known || nonspace.offset <= position.offset) {
      nonspace = view.first_nonspace(position);
      nonspace_known = true;
    }
    return nonspace;
  }
  void advance(int count) { view.advance_columns(position, count); }
  char at_position() const { return view.at(position.offset); }
};

ContainerChain::ContainerChain(std::string_view text, const LineTable& lines, cmark_node* block,
                               ContainerOpenings& openings)
    : text_(text), lines_(lines) {
  for (cmark_node* node = cmark_node_parent(block); node != nullptr;
       node = cmark_node_parent(node)) {
    cmark_node_type type = cmark_node_get_type(node);
    if (type != CMARK_NODE_BLOCK_QUOTE && type != CMARK_NODE_ITEM) continue;
    Kind kind = type == CMARK_NODE_BLOCK_QUOTE ? Kind::block_quote : Kind::list_item;
    auto line = static_cast<std::size_t>(std::max(cmark_node_get_start_line(node), 1));
    containers_.push_back(Container{node, kind, line, {}});
  }
  std::reverse(containers_.begin(), containers_.end());
  for (std::size_t i = 0; i < containers_.size(); ++i) {
    auto known = openings.find(containers_[i].node);
    if (known == openings.end()) known = openings.emplace(containers_[i].node, open(i)).first;
    containers_[i].opening = known->second;
  }
}

LinePosition ContainerChain::line_begin(std::size_t line) const {
  return LinePosition{lines_.start(line), 0, false};
}

bool ContainerChain::continues(std::size_t index, LineWalk& walk) const {
  const Container& container = containers_[index];
  LinePosition nonspace = walk.first_nonspace();
  int indent = nonspace.column - walk.position.column;
  if (container.kind == Kind::block_quote) {
    if (indent > 3 || walk.view.at(nonspace.offset) != '>') return false;
    walk.advance(indent + 1);
    if (is_space_or_tab(walk.at_position())) walk.advance(1);
    return true;
  }
  if (indent < container.opening.required) return false;
  walk.advance(container.opening.required);
  return true;
}

// Works out where the container leaves its own first line, and for a list item how far its
// continuation lines must be indented: the columns up to its marker, the marker, and the spaces
// after it (one when there are none, five or more, or nothing else on the line).
ContainerOpening ContainerChain::open(std::size_t index) const {
  const Container& container = containers_[index];
  std::size_t line = container.start_line;
  LineWalk walk{LineView{text_, lines_.end(line)}, line_begin(line)};
  if (index > 0 && containers_[index - 1].start_line == line) {
    walk.position = containers_[index - 1].opening.after;
  } else {
    for (std::size_t outer = 0; outer < index; ++outer) {
      if (!continues(outer, walk)) break;
    }
  }
  const LineView& view = walk.view;
  LinePosition marker = walk.first_nonspace();
  if (container.kind == Kind::block_quote) {
    walk.advance(marker.column - walk.position.column + 1);
    if (is_space_or_tab(walk.at_position())) walk.advance(1);
    return ContainerOpening{0, walk.position};
  }
  int width = marker_width(view, marker.offset);
  LinePosition spaces{marker.offset + width, marker.column + width, false};
  while (spaces.column - (marker.column + width) <= 5 && is_space_or_tab(view.at(spaces.offset))) {
    view.advance_columns(spaces, 1);
  }
  int gap = spaces.column - (marker.column + width);
  char after_gap = view.at(spaces.offset);
  int padding =
      (gap >= 5 || gap < 1 || after_gap == '\n' || after_gap == '\r') ? width + 1 : width + gap;
  int required = marker.column - walk.position.column + padding;
  walk.advance(required);
  return ContainerOpening{required, walk.position};
}

ContainerChain::LineStart ContainerChain::content_start(std::size_t line) const {
  LineWalk walk{LineView{text_, lines_.end(line)}, line_begin(line)};
  for (std::size_t i = 0; i < containers_.size(); ++i) {
    if (!continues(i, walk)) return LineStart{walk.position, true};
  }
  return LineStart{walk.first_nonspace(), false};
}

}  // namespace zav
