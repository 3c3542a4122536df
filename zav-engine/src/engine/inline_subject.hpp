// The text that cmark reads the inline content of a paragraph or heading from: the block's lines
// without their container prefixes, each NUL turned into U+FFFD and each line ending into one line
// feed, with a map back to the source.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/container_prefix.hpp"
#include "engine/line_table.hpp"

namespace zav {

class InlineSubject {
 public:
  // The lines `first_line` to `last_line` of `text`; the first line's content starts at
  // `first_offset`, each later line's where `chain` says.
  InlineSubject(std::string_view text, const LineTable& lines, std::size_t first_line,
                std::size_t first_offset, std::size_t last_line, const ContainerChain* chain);

  std::string_view text() const { return subject_; }
  // The source offset of the subject byte at `offset` (the text's end when past the subject).
  std::size_t source_offset(std::size_t offset) const;

 private:
  struct Anchor {
    std::size_t subject;  // where a run starts in the subject
    std::size_t source;   // where it starts in the source
    bool verbatim;        // a copied run, or one character that stands for a single source byte
  };

  void add_line(std::size_t line, std::size_t from, std::size_t spaces);
  void add_run(std::string_view run, std::size_t source, bool verbatim);

  std::string_view text_;
  const LineTable& lines_;
  std::string subject_;
  std::vector<Anchor> anchors_;
};

}  // namespace zav
