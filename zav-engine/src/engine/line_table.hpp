// The lines of a Markdown text as cmark's block parser numbers them, for turning its line and
// column positions back into byte offsets.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace zav {

// Lines end at LF, CR LF or a lone CR; they are numbered from 1. A byte order mark at the start
// of the text belongs to line 1: the parser reads it as an ordinary character.
class LineTable {
 public:
  explicit LineTable(std::string_view text);

  std::size_t line_count() const { return starts_.size(); }
  // Offset of the line's first byte; the end of the text for a line past the last.
  std::size_t start(std::size_t line) const;
  // Offset just past the line's last byte before its line ending.
  std::size_t end(std::size_t line) const;
  // Offset of the next line's first byte (just past this line's ending).
  std::size_t next(std::size_t line) const;

  // The byte offset of a 1-based column on a line. The parser counts columns in bytes after
  // turning every NUL into U+FFFD, so a NUL before the column counts three. Clamped to the line.
  std::size_t offset_of_column(std::size_t line, int column) const;

 private:
  std::string_view text_;
  std::vector<std::size_t> starts_;  // first byte of each line
  std::vector<std::size_t> nuls_;    // offsets of NUL bytes, ascending
};

}  // namespace zav
