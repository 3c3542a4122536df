// Raw HTML: the seven kinds of HTML block (how each starts and ends) and the HTML tags that may
// stand inline (open and closing tags, comments, processing instructions, declarations, CDATA).
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace zav::markdown {

// The kind (1 to 7) of the HTML block that `line` (from its first non-blank character on)
// starts, or 0. Kind 7 is reported even where it may not start a block.
int html_block_start(std::string_view line);

// Whether `line` meets the end condition of an HTML block of kind 1 to 5.
bool html_block_ends(int kind, std::string_view line);

// Finds inline HTML tags in one paragraph's or heading's content. It remembers where a comment,
// processing instruction, declaration or CDATA section failed to close, so that an unclosed
// opening repeated many times is read once.
class InlineHtmlScanner {
 public:
  explicit InlineHtmlScanner(std::string_view content) : s_(content) {}

  // The end of the HTML tag that starts with "<" at `pos`, if one does.
  std::optional<std::size_t> tag_end(std::size_t pos);

 private:
  // The position of `closer` at or after `from`, looked up once for each stretch of text.
  struct Search {
    std::string_view closer;
    std::size_t searched_from = std::string_view::npos;
    std::size_t found = std::string_view::npos;
  };

  std::optional<std::size_t> until(Search& search, std::size_t from);

  std::string_view s_;
  Search comment_{"-->"};
  Search instruction_{"?>"};
  Search declaration_{">"};
  Search cdata_{"]]>"};
};

}  // namespace zav::markdown
