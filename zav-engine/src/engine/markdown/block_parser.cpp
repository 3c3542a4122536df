#include "engine/markdown/block_parser.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/markdown/byte_scan.hpp"
#include "engine/markdown/characters.hpp"
#include "engine/markdown/raw_html.hpp"

namespace zav::markdown {
namespace {

constexpr std::size_t CODE_INDENT = 4;

enum class Kind : std::uint8_t {
  Document,
  BlockQuote,
  List,
  Item,
  Paragraph,
  FencedCode,
  IndentedCode,
  Html,
};

bool accepts_lines(Kind kind) {
  return kind == Kind::Paragraph || kind == Kind::FencedCode || kind == Kind::IndentedCode ||
         kind == Kind::Html;
}

bool can_contain(Kind parent, Kind child) {
  switch (parent) {
    case Kind::Document:
    case Kind::BlockQuote:
    case Kind::Item:
      return child != Kind::Item;
    case Kind::List:
      return child == Kind::Item;
    default:
      return false;
  }
}

// What a list item's marker says: the kind of list, and how far its content is indented (the
// indentation before the marker, at most 3 columns, and the width of the marker and the spaces
// after it, at most 9 digits, a delimiter and 4 spaces).
struct ListMarker {
  bool ordered = false;
  char delimiter = 0;  // the bullet, or "." or ")" after the number
  std::uint8_t marker_offset = 0;
  std::uint8_t padding = 0;
};

// An open block; kept small, since a line of markers may open a great many. What a code or
// HTML block needs is kept by the parser, since such a leaf can only be the last open block.
struct OpenBlock {
  explicit OpenBlock(Kind k) : kind(k) {}

  Kind kind;
  ListMarker list;            // List and Item
  bool has_children = false;  // Item: some block was started in it
};

bool may_hold_link(std::string_view s) {
  return std::memchr(s.data(), '[', s.size()) != nullptr ||
         std::memchr(s.data(), '<', s.size()) != nullptr;
}

// Whether the digits of an ordered list marker make the number 1.
bool starts_at_one(std::string_view digits) {
  std::size_t first = digits.find_first_not_of('0');
  return first == digits.size() - 1 && digits[first] == '1';
}

// Whether a character at the start of a line's content may begin a block other than a
// paragraph.
bool may_start_block(char c) {
  switch (c) {
    case '#':
    case '`':
    case '~':
    case '*':
    case '+':
    case '_':
    case '=':
    case '<':
    case '>':
    case '-':
      return true;
    default:
      return is_ascii_digit(c);
  }
}

class BlockParser {
 public:
  BlockParser(std::string_view text, std::vector<Heading>& headings, ReferenceMap& references,
              InlineContents& contents)
      : text_(text), headings_(headings), references_(references), contents_(contents) {
    open_.push_back(OpenBlock(Kind::Document));
  }

  void run() {
    std::size_t pos = 0;
    bool previous_blank = false;
    while (pos < text_.size()) {
      std::size_t end = find_first_of_bytes<'\n', '\r'>(text_, pos);
      std::size_t next = end;
      if (next < text_.size()) {
        next += text_[next] == '\r' && next + 1 < text_.size() && text_[next + 1] == '\n' ? 2 : 1;
      }
      line_start_ = pos;
      line_ = text_.substr(pos, end - pos);
      // A blank line after a blank line changes nothing: every block that a blank line ends
      // was ended by the first.
      bool blank = line_.find_first_not_of(" \t") == std::string_view::npos;
      if (!(blank && previous_blank)) incorporate_line();
      previous_blank = blank;
      pos = next;
    }
    while (open_.size() > 1) close_tip();
  }

 private:
  enum class Continuation { Matched, Failed, LineDone };
  enum class Start { None, Container, Leaf };

  // --- the position in the line, in bytes and in columns (tabs stop every four columns) ---

  int peek(std::size_t pos) const {
    return pos < line_.size() ? static_cast<unsigned char>(line_[pos]) : -1;
  }

  // The next character after `offset_` that is no space or tab, with its column. Containers
  // take their markers and indentation from the same run of white space one after another, so
  // the run is read once.
  void find_next_nonspace() {
    if (offset_ <= next_nonspace_ && next_nonspace_known_) {
      indent_ = next_nonspace_column_ - column_;
      indented_ = indent_ >= CODE_INDENT;
      return;
    }
    next_nonspace_known_ = true;
    std::size_t i = offset_, columns = column_;
    while (i < line_.size()) {
      char c = line_[i];
      if (c == ' ') {
        ++i, ++columns;
      } else if (c == '\t') {
        ++i, columns += 4 - columns % 4;
      } else {
        break;
      }
    }
    blank_ = i == line_.size();
    next_nonspace_ = i;
    next_nonspace_column_ = columns;
    indent_ = columns - column_;
    indented_ = indent_ >= CODE_INDENT;
  }

  void advance_next_nonspace() {
    offset_ = next_nonspace_;
    column_ = next_nonspace_column_;
    partially_consumed_tab_ = false;
  }

  // Moves `count` characters on, or `count` columns when `columns` is set, in which case a tab
  // may be taken in part.
  void advance_offset(std::size_t count, bool columns) {
    while (count > 0 && offset_ < line_.size()) {
      if (line_[offset_] == '\t') {
        std::size_t to_tab = 4 - column_ % 4;
        if (columns) {
          partially_consumed_tab_ = to_tab > count;
          std::size_t advance = to_tab > count ? count : to_tab;
          column_ += advance;
          offset_ += partially_consumed_tab_ ? 0 : 1;
          count -= advance;
        } else {
          partially_consumed_tab_ = false;
          column_ += to_tab;
          ++offset_;
          --count;
        }
      } else {
        partially_consumed_tab_ = false;
        ++offset_;
        ++column_;
        --count;
      }
    }
  }

  // --- the open blocks ---

  OpenBlock& tip() { return open_.back(); }
  std::size_t tip_index() const { return open_.size() - 1; }

  void close_tip() {
    if (tip().kind == Kind::Paragraph) finish_paragraph();
    open_.pop_back();
  }

  void close_unmatched() {
    if (all_closed_) return;
    while (tip_index() > last_matched_) close_tip();
    all_closed_ = true;
  }

  OpenBlock& add_child(Kind kind) {
    while (!can_contain(tip().kind, kind)) close_tip();
    if (tip().kind == Kind::Item) tip().has_children = true;
    open_.emplace_back(kind);
    return tip();
  }

  // --- one line ---

  void incorporate_line() {
    next_nonspace_known_ = false;
    spoiled_break_mark_ = '\0';
    offset_ = column_ = 0;
    partially_consumed_tab_ = false;
    blank_ = false;

    std::size_t matched = 0;
    for (std::size_t i = 1; i < open_.size(); ++i) {
      find_next_nonspace();
      Continuation result = continue_block(i);
      if (result == Continuation::LineDone) return;
      if (result == Continuation::Failed) break;
      matched = i;
    }
    all_closed_ = matched == tip_index();
    last_matched_ = matched;
    Kind container = open_[matched].kind;

    bool matched_leaf = container != Kind::Paragraph && accepts_lines(container);
    while (!matched_leaf) {
      find_next_nonspace();
      if (!indented_ && !may_start_block(static_cast<char>(peek(next_nonspace_)))) {
        advance_next_nonspace();
        break;
      }
      Start start = block_start(container);
      if (start == Start::None) {
        advance_next_nonspace();
        break;
      }
      container = tip().kind;
      if (start == Start::Leaf) break;
    }

    if (!all_closed_ && !blank_ && tip().kind == Kind::Paragraph) {
      add_paragraph_line();  // a lazy continuation line
      return;
    }
    close_unmatched();
    switch (tip().kind) {
      case Kind::Paragraph:
        add_paragraph_line();
        break;
      case Kind::Html:
        if (html_kind_ <= 5 && html_block_ends(html_kind_, line_.substr(offset_))) {
          close_tip();
        }
        break;
      case Kind::FencedCode:
      case Kind::IndentedCode:
        break;
      default:
        if (offset_ < line_.size() && !blank_) {
          add_child(Kind::Paragraph);
          advance_next_nonspace();
          add_paragraph_line();
        }
    }
  }

  Continuation continue_block(std::size_t index) {
    OpenBlock& block = open_[index];
    switch (block.kind) {
      case Kind::BlockQuote:
        if (indented_ || peek(next_nonspace_) != '>') return Continuation::Failed;
        advance_next_nonspace();
        advance_offset(1, false);
        if (is_space_or_tab(static_cast<char>(peek(offset_)))) advance_offset(1, true);
        return Continuation::Matched;
      case Kind::Item:
        if (blank_) {
          if (!block.has_children) return Continuation::Failed;
          advance_next_nonspace();
        } else if (std::size_t width = block.list.marker_offset + block.list.padding;
                   indent_ >= width) {
          advance_offset(width, true);
        } else {
          return Continuation::Failed;
        }
        return Continuation::Matched;
      case Kind::FencedCode: {
        if (indent_ <= 3 && peek(next_nonspace_) == fence_ &&
            closing_fence_length(fence_) >= fence_length_) {
          open_.pop_back();  // the fence is the tip
          return Continuation::LineDone;
        }
        return Continuation::Matched;  // a line of code
      }
      case Kind::IndentedCode:
        if (indent_ >= CODE_INDENT) {
          advance_offset(CODE_INDENT, true);
        } else if (blank_) {
          advance_next_nonspace();
        } else {
          return Continuation::Failed;
        }
        return Continuation::Matched;
      case Kind::Html:
        return blank_ && (html_kind_ == 6 || html_kind_ == 7) ? Continuation::Failed
                                                              : Continuation::Matched;
      case Kind::Paragraph:
        return blank_ ? Continuation::Failed : Continuation::Matched;
      default:  // Document, List
        return Continuation::Matched;
    }
  }

  // The length of the closing fence of `fence` characters at the next non-space character, or 0
  // when the line is no closing fence.
  std::size_t closing_fence_length(char fence) const {
    std::size_t end = next_nonspace_;
    while (end < line_.size() && line_[end] == fence) ++end;
    std::size_t length = end - next_nonspace_;
    if (length < 3) return 0;
    while (end < line_.size() && is_space_or_tab(line_[end])) ++end;
    return end == line_.size() ? length : 0;
  }

  Start block_start(Kind container) {
    std::string_view rest = line_.substr(next_nonspace_);
    char first = rest.empty() ? '\0' : rest[0];
    if (!indented_) {
      if (first == '>') return block_quote_start();
      if (first == '#' && atx_heading_start()) return Start::Leaf;
      if ((first == '`' || first == '~') && fenced_code_start()) return Start::Leaf;
      if (first == '<' && html_block_start(container)) return Start::Leaf;
      if (container == Kind::Paragraph && (first == '=' || first == '-') &&
          setext_heading_start()) {
        return Start::Leaf;
      }
      if ((first == '*' || first == '-' || first == '_') && thematic_break_start()) {
        return Start::Leaf;
      }
    }
    if ((!indented_ || container == Kind::List) && list_item_start(container)) {
      return Start::Container;
    }
    if (indented_ && tip().kind != Kind::Paragraph && !blank_) {
      advance_offset(CODE_INDENT, true);
      close_unmatched();
      add_child(Kind::IndentedCode);
      return Start::Leaf;
    }
    return Start::None;
  }

  Start block_quote_start() {
    advance_next_nonspace();
    advance_offset(1, false);
    if (is_space_or_tab(static_cast<char>(peek(offset_)))) advance_offset(1, true);
    close_unmatched();
    add_child(Kind::BlockQuote);
    return Start::Container;
  }

  bool atx_heading_start() {
    std::size_t i = next_nonspace_;
    while (i < line_.size() && line_[i] == '#') ++i;
    std::size_t level = i - next_nonspace_;
    if (level > 6 || (i < line_.size() && !is_space_or_tab(line_[i]))) return false;
    while (i < line_.size() && is_space_or_tab(line_[i])) ++i;
    // The content, without a closing run of "#" that follows a space or tab or is all of it.
    std::size_t end = line_.size();
    while (end > i && is_space_or_tab(line_[end - 1])) --end;
    std::size_t hashes = end;
    while (hashes > i && line_[hashes - 1] == '#') --hashes;
    if (hashes < end && (hashes == i || is_space_or_tab(line_[hashes - 1]))) {
      end = hashes;
      while (end > i && is_space_or_tab(line_[end - 1])) --end;
    }
    close_unmatched();
    add_child(Kind::Paragraph);  // stands for the heading: it ends what the heading interrupts
    open_.pop_back();
    add_heading(static_cast<std::uint8_t>(level), line_start_ + i, line_start_ + end);
    std::string_view content = line_.substr(i, end - i);
    if (may_hold_link(content)) {
      std::size_t start = contents_.text().size();
      contents_.text().append(content);
      contents_.keep(start);
    }
    offset_ = line_.size();
    return true;
  }

  bool fenced_code_start() {
    char fence = line_[next_nonspace_];
    std::size_t end = next_nonspace_;
    while (end < line_.size() && line_[end] == fence) ++end;
    std::size_t length = end - next_nonspace_;
    if (length < 3) return false;
    if (fence == '`' && line_.find('`', end) != std::string_view::npos) return false;
    close_unmatched();
    add_child(Kind::FencedCode);
    fence_ = fence;
    fence_length_ = length;
    return true;
  }

  bool html_block_start(Kind container) {
    int kind = markdown::html_block_start(line_.substr(next_nonspace_));
    if (kind == 0) return false;
    if (kind == 7 && (container == Kind::Paragraph ||
                      (!all_closed_ && !blank_ && tip().kind == Kind::Paragraph))) {
      return false;
    }
    close_unmatched();
    add_child(Kind::Html);
    html_kind_ = kind;
    return true;
  }

  bool setext_heading_start() {
    char mark = line_[next_nonspace_];
    std::size_t i = next_nonspace_;
    while (i < line_.size() && line_[i] == mark) ++i;
    while (i < line_.size() && is_space_or_tab(line_[i])) ++i;
    if (i != line_.size()) return false;
    close_unmatched();
    std::size_t begin = paragraph_content_start();
    if (paragraph_.lines == 0) return false;
    std::size_t end = paragraph_.last_end;
    while (end > begin && is_space_or_tab(text_[end - 1])) --end;
    add_heading(mark == '=' ? 1 : 2, begin, end);
    keep_paragraph_content();
    open_.pop_back();  // the paragraph became the heading
    offset_ = line_.size();
    return true;
  }

  bool thematic_break_start() {
    char mark = line_[next_nonspace_];
    // A line of list markers ("- - - x") is tried for a break at each marker: what spoiled the
    // first try spoils the others.
    if (mark == spoiled_break_mark_ && next_nonspace_ < spoiled_break_at_) return false;
    std::size_t count = 0;
    for (std::size_t i = next_nonspace_; i < line_.size(); ++i) {
      if (line_[i] == mark) {
        ++count;
      } else if (!is_space_or_tab(line_[i])) {
        spoiled_break_mark_ = mark;
        spoiled_break_at_ = i;
        return false;
      }
    }
    if (count < 3) return false;
    close_unmatched();
    add_child(Kind::Paragraph);  // stands for the break: it ends what it interrupts
    open_.pop_back();
    offset_ = line_.size();
    return true;
  }

  bool list_item_start(Kind container) {
    if (indent_ >= CODE_INDENT) return false;
    ListMarker marker;
    marker.marker_offset = static_cast<std::uint8_t>(indent_);
    std::size_t i = next_nonspace_;
    char c = i < line_.size() ? line_[i] : '\0';
    if (c == '-' || c == '+' || c == '*') {
      marker.delimiter = c;
      ++i;
    } else {
      std::size_t digits_end = i;
      while (digits_end < line_.size() && digits_end - i < 10 &&
             is_ascii_digit(line_[digits_end])) {
        ++digits_end;
      }
      std::size_t digits = digits_end - i;
      if (digits == 0 || digits > 9 || digits_end >= line_.size() ||
          (line_[digits_end] != '.' && line_[digits_end] != ')')) {
        return false;
      }
      if (container == Kind::Paragraph && !starts_at_one(line_.substr(i, digits))) return false;
      marker.ordered = true;
      marker.delimiter = line_[digits_end];
      i = digits_end + 1;
    }
    std::size_t marker_width = i - next_nonspace_;
    if (i < line_.size() && !is_space_or_tab(line_[i])) return false;
    if (container == Kind::Paragraph &&
        line_.find_first_not_of(" \t", i) == std::string_view::npos) {
      return false;  // an empty item cannot interrupt a paragraph
    }
    advance_next_nonspace();
    advance_offset(marker_width, true);
    std::size_t spaces_start_column = column_;
    std::size_t spaces_start_offset = offset_;
    do {
      advance_offset(1, true);
    } while (column_ - spaces_start_column < 5 &&
             is_space_or_tab(static_cast<char>(peek(offset_))));
    bool blank_item = offset_ >= line_.size();
    std::size_t spaces = column_ - spaces_start_column;
    if (spaces >= 5 || spaces < 1 || blank_item) {
      marker.padding = static_cast<std::uint8_t>(marker_width + 1);
      column_ = spaces_start_column;
      offset_ = spaces_start_offset;
      partially_consumed_tab_ = false;
      if (is_space_or_tab(static_cast<char>(peek(offset_)))) advance_offset(1, true);
    } else {
      marker.padding = static_cast<std::uint8_t>(marker_width + spaces);
    }
    close_unmatched();
    const OpenBlock& last = tip();
    if (last.kind != Kind::List || last.list.ordered != marker.ordered ||
        last.list.delimiter != marker.delimiter) {
      add_child(Kind::List).list = marker;
    }
    add_child(Kind::Item).list = marker;
    return true;
  }

  // --- paragraphs and headings ---

  // A line of the open paragraph goes straight into the inline contents, without the white space
  // that opens it.
  void add_paragraph_line() {
    std::size_t start = offset_;
    while (start < line_.size() && is_space_or_tab(line_[start])) ++start;
    std::string& out = contents_.text();
    if (paragraph_.lines == 0) {
      paragraph_.content_start = out.size();
      paragraph_.first_start = line_start_ + start;
      paragraph_.may_open_with_definition = peek(start) == '[';
    } else {
      out.push_back('\n');
    }
    if (paragraph_.may_open_with_definition) paragraph_.line_starts.push_back(line_start_ + start);
    out.append(line_.substr(start));
    paragraph_.last_end = line_start_ + line_.size();
    ++paragraph_.lines;
  }

  void add_heading(std::uint8_t level, std::size_t begin, std::size_t end) {
    // A backslash escape that opens the content is markup: the text starts at the character.
    if (end - begin >= 2 && text_[begin] == '\\' && is_ascii_punctuation(text_[begin + 1])) {
      ++begin;
    }
    headings_.push_back(Heading{level, std::string(text_.substr(begin, end - begin))});
  }

  // Reads the definitions that open the paragraph and drops them from its content; returns
  // where the rest of the content begins in the text.
  std::size_t paragraph_content_start() {
    if (!paragraph_.may_open_with_definition) return paragraph_.first_start;
    std::string& out = contents_.text();
    std::size_t length =
        read_definitions(std::string_view(out).substr(paragraph_.content_start), references_);
    if (length == 0) return paragraph_.first_start;
    std::string_view definitions(out.data() + paragraph_.content_start, length);
    std::size_t lines =
        static_cast<std::size_t>(std::count(definitions.begin(), definitions.end(), '\n'));
    out.erase(paragraph_.content_start, length);
    if (paragraph_.content_start == out.size()) {  // nothing but definitions
      paragraph_.reset();
      return 0;
    }
    return paragraph_.line_starts[lines];
  }

  // Keeps the paragraph's content for the search for links, if it may hold one.
  void keep_paragraph_content() {
    if (paragraph_.lines == 0) return;
    std::string& out = contents_.text();
    if (may_hold_link(std::string_view(out).substr(paragraph_.content_start))) {
      contents_.keep(paragraph_.content_start);
    } else {
      out.resize(paragraph_.content_start);
    }
    paragraph_.reset();
  }

  void finish_paragraph() {
    paragraph_content_start();
    keep_paragraph_content();
  }

  std::string_view text_;
  std::vector<Heading>& headings_;
  ReferenceMap& references_;
  InlineContents& contents_;

  std::vector<OpenBlock> open_;
  // The open paragraph, whose content is being written at the end of the inline contents.
  struct Paragraph {
    std::size_t lines = 0;
    std::size_t content_start = 0;  // in the inline contents' text
    std::size_t first_start = 0;    // in the text: where the content begins, and ends
    std::size_t last_end = 0;
    bool may_open_with_definition = false;
    std::vector<std::size_t> line_starts;  // in the text, when it may open with a definition

    void reset() {
      lines = 0;
      may_open_with_definition = false;
      line_starts.clear();
    }
  };
  Paragraph paragraph_;
  char fence_ = 0;  // the open fenced code block's
  std::size_t fence_length_ = 0;
  int html_kind_ = 0;  // the open HTML block's

  std::string_view line_;
  std::size_t line_start_ = 0;
  std::size_t offset_ = 0;
  std::size_t column_ = 0;
  bool partially_consumed_tab_ = false;
  std::size_t next_nonspace_ = 0;
  std::size_t next_nonspace_column_ = 0;
  bool next_nonspace_known_ = false;  // for this line
  char spoiled_break_mark_ = '\0';    // this line is no thematic break of this mark
  std::size_t spoiled_break_at_ = 0;  // from any position before this one
  std::size_t indent_ = 0;
  bool indented_ = false;
  bool blank_ = false;
  bool all_closed_ = true;
  std::size_t last_matched_ = 0;
};

}  // namespace

void InlineContents::keep(std::size_t start) {
  if (start < text_.size()) ends_.push_back(text_.size());
}

void parse_blocks(std::string_view text, std::vector<Heading>& headings, ReferenceMap& references,
                  InlineContents& contents) {
  // The contents are never longer than the text: each line loses at least its line end.
  contents.text().reserve(contents.text().size() + text.size());
  BlockParser(text, headings, references, contents).run();
}

}  // namespace zav::markdown
