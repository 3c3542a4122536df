// Markdown facts: cmark decides which blocks are headings and which inlines are links; the
// heading texts and the text of autolinks come from the source, since cmark's inline positions
// do not cover delimiters and its autolink destinations are rewritten.
#include <cmark.h>

#include <memory>
#include <optional>
#include <string>

#include "engine/cmark_arena.hpp"
#include "engine/container_prefix.hpp"
#include "engine/heading_text.hpp"
#include "engine/inline_subject.hpp"
#include "engine/line_table.hpp"
#include "engine/markdown_chars.hpp"
#include "engine/reference_definitions.hpp"
#include "engine/markdown_facts_cmark.hpp"

namespace zav {
namespace {

struct ParserFree {
  void operator()(cmark_parser* parser) const { cmark_parser_free(parser); }
};
struct NodeFree {
  void operator()(cmark_node* node) const { cmark_node_free(node); }
};
struct IterFree {
  void operator()(cmark_iter* iter) const { cmark_iter_free(iter); }
};

using Document = std::unique_ptr<cmark_node, NodeFree>;

// Small texts, nearly all of them, are parsed in the arena; a large one with
// cmark's own allocator, which reuses what the parse frees along the way.
constexpr std::size_t ARENA_TEXT_LIMIT = std::size_t{1} << 20;

cmark_mem* parse_memory(std::string_view text) {
  return text.size() <= ARENA_TEXT_LIMIT ? cmark_arena_memory() : cmark_get_default_mem_allocator();
}

constexpr std::string_view BYTE_ORDER_MARK = "\xEF\xBB\xBF";
// U+4E00: as long as the mark, and like it neither white space nor punctuation.
constexpr std::string_view MARK_STAND_IN = "\xE4\xB8\x80";

// The text is followed by a blank line, which changes no block and no inline, so that every
// block is closed by a line of its own: cmark then ends a heading underlined with "=" or "-" on
// the line after its underline, and an ATX heading on its own line.
// cmark drops a byte order mark that starts the text, where CommonMark reads it as an ordinary
// character: the parser gets a letter of the same length in its place, so every offset stays.
Document parse(std::string_view text) {
  std::string with_stand_in;
  if (text.starts_with(BYTE_ORDER_MARK)) {
    with_stand_in.reserve(text.size());
    with_stand_in.append(MARK_STAND_IN).append(text.substr(BYTE_ORDER_MARK.size()));
    text = with_stand_in;
  }
  std::unique_ptr<cmark_parser, ParserFree> parser(
      cmark_parser_new_with_mem(CMARK_OPT_DEFAULT, parse_memory(text)));
  cmark_parser_feed(parser.get(), text.data(), text.size());
  cmark_parser_feed(parser.get(), "\n\n", 2);
  return Document(cmark_parser_finish(parser.get()));
}

std::size_t line_of(int line) {
  return line > 0 ? static_cast<std::size_t>(line) : 1;
}

class FactsCollector {
 public:
  explicit FactsCollector(std::string_view text) : text_(text), lines_(text) {}

  MarkdownFacts collect() {
    Document document = parse(text_);
    std::unique_ptr<cmark_iter, IterFree> iter(cmark_iter_new(document.get()));
    for (cmark_event_type event; (event = cmark_iter_next(iter.get())) != CMARK_EVENT_DONE;) {
      cmark_node* node = cmark_iter_get_node(iter.get());
      cmark_node_type type = cmark_node_get_type(node);
      if (type == CMARK_NODE_PARAGRAPH || type == CMARK_NODE_HEADING) {
        block_ = event == CMARK_EVENT_ENTER ? node : nullptr;
        subject_.reset();
      }
      if (event != CMARK_EVENT_ENTER) continue;
      if (type == CMARK_NODE_HEADING) add_heading(node);
      if (type == CMARK_NODE_LINK) facts_.links.push_back(destination(node));
    }
    return std::move(facts_);
  }

 private:
  // The inline content of the block in hand, with the length of the reference definitions
  // that the block lost from its start.
  struct Subject {
    InlineSubject text;
    std::size_t dropped;
  };

  bool is_atx(cmark_node* heading) const {
    return cmark_node_get_end_line(heading) <= cmark_node_get_start_line(heading);
  }

  std::size_t block_start(cmark_node* block) const {
    return lines_.offset_of_column(line_of(cmark_node_get_start_line(block)),
                                   cmark_node_get_start_column(block));
  }

  // Where the content of an ATX heading begins for cmark: after the opening "#" signs and all
  // the spaces and tabs after them.
  std::size_t atx_content_start(cmark_node* heading) const {
    std::size_t pos = block_start(heading);
    std::size_t end = lines_.end(line_of(cmark_node_get_start_line(heading)));
    while (pos < end && text_[pos] == '#') ++pos;
    while (pos < end && is_space_or_tab(text_[pos])) ++pos;
    return pos;
  }

  const Subject& subject() {
    if (subject_) return *subject_;
    std::size_t first_line = line_of(cmark_node_get_start_line(block_));
    if (cmark_node_get_type(block_) == CMARK_NODE_HEADING && is_atx(block_)) {
      subject_.emplace(Subject{
          InlineSubject(text_, lines_, first_line, atx_content_start(block_), first_line, nullptr),
          0});
      return *subject_;
    }
    std::size_t last_line = line_of(cmark_node_get_end_line(block_));
    if (cmark_node_get_type(block_) == CMARK_NODE_HEADING) last_line -= 2;
    std::size_t first_offset = block_start(block_);
    ContainerChain chain(text_, lines_, block_, openings_);
    InlineSubject text(text_, lines_, first_line, first_offset, last_line, &chain);
    std::size_t dropped = first_offset < text_.size() && text_[first_offset] == '['
                              ? leading_definitions_length(text.text())
                              : 0;
    subject_.emplace(Subject{std::move(text), dropped});
    return *subject_;
  }

  void add_heading(cmark_node* heading) {
    int level = cmark_node_get_heading_level(heading);
    std::size_t line = line_of(cmark_node_get_start_line(heading));
    SourceRange range;
    if (is_atx(heading)) {
      range = atx_heading_content(text_, lines_, line, block_start(heading));
    } else {
      std::size_t begin = block_start(heading);
      if (begin < text_.size() && text_[begin] == '[') {
        const Subject& content = subject();
        std::string_view rest = content.text.text().substr(content.dropped);
        std::size_t skipped = rest.find_first_not_of(" \t");
        begin = content.text.source_offset(content.dropped +
                                           (skipped == std::string_view::npos ? 0 : skipped));
      }
      range = setext_heading_content(text_, lines_, begin,
                                     line_of(cmark_node_get_end_line(heading) - 2));
    }
    facts_.headings.push_back(
        Heading{static_cast<std::uint8_t>(level),
                std::string(text_.substr(range.begin, range.end - range.begin))});
  }

  // cmark gives an autolink a single text child equal to its destination, or to the destination
  // without "mailto:" for an e-mail address, and no title.
  static bool looks_like_autolink(cmark_node* link, std::string_view url) {
    cmark_node* child = cmark_node_first_child(link);
    if (child == nullptr || child != cmark_node_last_child(link) ||
        cmark_node_get_type(child) != CMARK_NODE_TEXT) {
      return false;
    }
    const char* title = cmark_node_get_title(link);
    if (title != nullptr && *title != '\0') return false;
    const char* literal = cmark_node_get_literal(child);
    std::string_view text = literal != nullptr ? literal : "";
    return url == text || (url.starts_with("mailto:") && url.substr(7) == text);
  }

  std::string destination(cmark_node* link) {
    const char* url_text = cmark_node_get_url(link);
    std::string_view url = url_text != nullptr ? url_text : "";
    if (block_ != nullptr && looks_like_autolink(link, url)) {
      if (std::optional<std::string> written = autolink_text(link)) return std::move(*written);
    }
    return std::string(url);
  }

  // The text between the angle brackets of an autolink, as written. cmark places an autolink
  // by the offsets of its brackets in the block's inline content; an inline or reference link
  // of the same shape is placed otherwise and fails the checks below.
  std::optional<std::string> autolink_text(cmark_node* link) {
    int start = cmark_node_get_start_column(link), end = cmark_node_get_end_column(link);
    if (start < 1 || end <= start) return std::nullopt;
    const Subject& content = subject();
    std::string_view inline_text = content.text.text();
    std::size_t open = content.dropped + static_cast<std::size_t>(start - 1);
    std::size_t close = content.dropped + static_cast<std::size_t>(end - 1);
    if (close >= inline_text.size() || inline_text[open] != '<' || inline_text[close] != '>') {
      return std::nullopt;
    }
    std::size_t source_open = content.text.source_offset(open);
    std::size_t source_close = content.text.source_offset(close);
    if (source_close >= text_.size() || source_open >= source_close || text_[source_open] != '<' ||
        text_[source_close] != '>') {
      return std::nullopt;
    }
    std::string written;
    for (std::size_t i = source_open + 1; i < source_close; ++i) {
      char c = text_[i];
      if (c == '\0') {
        written += "\xEF\xBF\xBD";  // as cmark reads a NUL
        continue;
      }
      if (static_cast<unsigned char>(c) <= 0x20 || c == '<' || c == '>') return std::nullopt;
      written += c;
    }
    if (written.size() != close - open - 1) return std::nullopt;
    return written;
  }

  std::string_view text_;
  LineTable lines_;
  MarkdownFacts facts_;
  cmark_node* block_ = nullptr;  // the paragraph or heading whose inlines are being visited
  std::optional<Subject> subject_;
  ContainerOpenings openings_;
};

// cmark ends the process when it runs out of memory; running out while copying facts out ends
// it too, since a partial result would pass for the whole.
MarkdownFacts collect_facts(std::string_view text) noexcept {
  CmarkArenaScope arena;
  return FactsCollector(text).collect();
}

}  // namespace

MarkdownFacts markdown_facts_cmark(std::string_view text) {
  return collect_facts(text);
}

}  // namespace zav
