// The block structure of a Markdown text: containers (block quotes, lists, list items), leaves
// (paragraphs, headings, code, HTML) and link reference definitions, line by line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/markdown/references.hpp"
#include "zav/records.hpp"

namespace zav::markdown {

// The inline content of the paragraphs and headings that may hold a link (those with a "[" or a
// "<"), in document order, kept until every definition is known. Each content's lines are joined
// by "\n".
class InlineContents {
 public:
  // A new content is appended to `text()`, then kept by `keep` with the size `text()` had.
  std::string& text() { return text_; }
  void keep(std::size_t start);

  std::size_t size() const { return ends_.size(); }
  std::string_view operator[](std::size_t i) const {
    std::size_t begin = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(text_).substr(begin, ends_[i] - begin);
  }

 private:
  std::string text_;
  std::vector<std::size_t> ends_;
};

// Reads the blocks of `text`: appends its headings to `headings`, its definitions to
// `references` (the first of a label wins) and the inline content that may hold links to
// `contents`.
void parse_blocks(std::string_view text, std::vector<Heading>& headings, ReferenceMap& references,
                  InlineContents& contents);

}  // namespace zav::markdown
