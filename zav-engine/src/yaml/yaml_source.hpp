// Reading the YAML source text around parser tokens: error positions, and
// the checks that the frontmatter layer adds to the parser's own.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zav {

// YAML's white space within a line, and its line break characters.
inline bool is_blank(char c) {
  return c == ' ' || c == '\t';
}
inline bool is_break(char c) {
  return c == '\n' || c == '\r';
}

// " at byte <characters before offset> line <from 1> column <from 1>"; LF,
// CR LF and a lone CR each end a line, and the end of a text whose last line
// has no line break counts as the start of one more line.
std::string yaml_position_text(std::string_view text, std::size_t offset);

// The byte offset of a 1-based line and a 1-based column counted in characters.
std::size_t yaml_offset_of(std::string_view text, int line, int column);

// True when the double-quoted scalar whose content starts at `content` holds
// a \u or \U escape of a surrogate or of a value above U+10FFFF.
bool has_invalid_unicode_escape(std::string_view text, std::size_t content);

// The offset of the '|' or '>' of the block scalar header that follows
// `from`, skipping white space, line breaks, comments and the indicators
// ':', '-' and '?'; nothing when something else comes first.
std::optional<std::size_t> find_block_scalar_indicator(std::string_view text, std::size_t from);

// True when the block scalar header at `indicator` gives an indentation.
bool has_indentation_indicator(std::string_view text, std::size_t indicator);

// The indicators of a block scalar header: the indentation it gives (0 for
// none) and its chomping ('-' strip, '+' keep, 0 clip).
struct BlockScalarHeader {
  std::size_t indentation = 0;
  char chomping = 0;
};
BlockScalarHeader read_block_scalar_header(std::string_view text, std::size_t indicator);

// The number of spaces that start the first line at or after `from` holding
// more than spaces, with that line's offset; nothing when no such line
// starts before `end`.
struct IndentedLine {
  std::size_t offset;
  std::size_t indentation;
};
std::optional<IndentedLine> first_content_line(std::string_view text, std::size_t from,
                                               std::size_t end);

// True unless a shorthand tag ("!x", "!!x", "!name!x") holds a "!" in its
// suffix or a flow indicator; verbatim tags ("!<...>") are not checked.
bool is_valid_shorthand_tag(std::string_view tag);

// Where a shorthand tag that the parser read too far ends: the offset in
// `tag` of the ",", "]" or "}" that ends it, when the text before that is a
// valid tag; nothing otherwise. In a flow collection the tag stands before
// an empty node there.
std::optional<std::size_t> flow_indicator_after_tag(std::string_view tag);

// The offset of the first ",", "]" or "}" in text[from, to) that directly
// follows a shorthand tag that begins a node (a "!" at the start of a line,
// after white space or after "[", "{" or ","): the parser reads such a tag
// on into the flow indicator.
std::optional<std::size_t> find_flow_indicator_after_tag(std::string_view text, std::size_t from,
                                                         std::size_t to);

// The offset of the first character at or after `from` that is not white
// space, a line break or part of a comment.
std::size_t skip_separation(std::string_view text, std::size_t from);

// The offset of the ':' that follows `from` after white space, line breaks
// and comments only; the size of the text when something else comes first.
std::size_t find_value_indicator(std::string_view text, std::size_t from);

// The offset of the dash of an empty block sequence entry (a "-" followed
// on its line by nothing or a comment) that follows `from` after white
// space, line breaks and comments only.
std::optional<std::size_t> find_empty_entry(std::string_view text, std::size_t from);

// A syntax error that a check of the source finds: its description and the
// offset that it points at.
struct SourceError {
  const char* description;
  std::size_t offset;
};

// A directive name, which starts at `name`, is made of letters, digits, "-"
// and "_" and is not empty.
std::optional<SourceError> check_directive_name(std::string_view text, std::size_t name);

// True for "!", "!!" and a named handle: letters, digits and "-" between
// two "!".
bool is_valid_tag_handle(std::string_view handle);

// The start of the first "%TAG" directive line that declares `handle`; the
// size of the text when there is none.
std::size_t find_tag_directive(std::string_view text, std::string_view handle);

// The start of the first line that is neither blank nor a comment nor a
// directive.
std::size_t first_content_line_start(std::string_view text);

// The folded form of the content of a literal block scalar: a line break
// between two lines that do not start with white space becomes a space, or
// goes when empty lines follow it; other line breaks stay.
std::string fold_block_lines(std::string_view literal);

// The offset of a tab that stands, inside the node of an explicit key (from
// its "?" to the next line whose first node is not past the "?"), between
// a ':' and one of '|', '>', '-', '?', ':' or NUL, with nothing but blanks
// around it. The parser fails on such a tab there and then crashes.
std::optional<std::size_t> find_tab_before_indicator_in_explicit_key(std::string_view text);

// The blanks between the indicator of a block entry, key or value ("-",
// "?" or ":") and the node on its line, when they hold a tab and `at` lies
// among them or at the node, and the node is one before which white space
// only separates: a block or quoted scalar, a flow collection, or a plain
// scalar that begins with "-", "?" or ":". Nothing otherwise.
struct BlankRun {
  std::size_t offset;
  std::size_t length;
};
std::optional<BlankRun> find_tab_before_node(std::string_view text, std::size_t at);

// The offset of the character after the indicators of the block scalar
// header at `indicator` when it is neither white space nor a line break
// (a comment there needs white space before it); nothing otherwise.
std::optional<std::size_t> find_block_header_end(std::string_view text, std::size_t indicator);

// The blanks, holding a tab, between the ":" that begins a line before
// `before` (an explicit key's value, or an entry's empty key) and the node
// after it on its line, on the nearest such line; nothing when there is
// none or the node begins a compact collection.
std::optional<BlankRun> find_tab_after_value_indicator(std::string_view text, std::size_t before);

// The ":" that begins a line and an entry without a key of its own, where
// the parser took something before it for its key: at `from` (`at_from`),
// or after the lines of the plain scalar that begins at `from`. Nothing
// when the ":" stands at the column of an explicit key's "?" before it, as
// that key's value.
std::optional<std::size_t> find_empty_key_entry(std::string_view text, std::size_t from,
                                                bool at_from);

// The first character of the name of the first anchor or alias at or
// after `from` (a "&" or "*" that begins a token, outside comments; the
// name runs up to white space or a flow indicator) that is NEL or a Unicode
// space other than the space and the tab: YAML allows them in a name.
std::optional<BlankRun> find_space_in_anchor_name(std::string_view text, std::size_t from);

// A "%YAML" directive before the first content of the text, with the
// digits of its version ("1" and "1" for "%YAML 1.1"). Only directives that
// spell a version as two numbers split by "." are listed.
struct VersionDirective {
  std::size_t offset;  // of its "%"
  std::string_view major;
  std::string_view minor;
};
std::vector<VersionDirective> find_version_directives(std::string_view text);

// True when `digits` spell `value` in decimal (leading zeros allowed).
bool is_decimal_number(std::string_view digits, unsigned value);

// A text with characters inserted at some offsets, and the way back to the
// offsets of the original.
class PatchedText {
 public:
  PatchedText() = default;
  explicit PatchedText(std::string_view original) : original_(original), text_(original) {}

  // Starts over with another original, keeping the storage unless it is
  // far larger than the new text needs.
  void reset(std::string_view original);

  std::string_view original() const { return original_; }
  const std::string& text() const { return text_; }

  // Inserts `piece` at an offset of the patched text.
  void insert(std::size_t offset, std::string_view piece);
  // Replaces the character at an offset of the patched text.
  void replace(std::size_t offset, char c) {
    if (offset < text_.size()) text_[offset] = c;
  }
  std::size_t original_offset(std::size_t offset) const;

 private:
  struct Insertion {
    std::size_t offset;  // in the patched text
    std::size_t length;
  };
  std::string_view original_;
  std::string text_;
  std::vector<Insertion> insertions_;  // in offset order
};

}  // namespace zav
