#include "yaml/yaml_events.hpp"

#include <libfyaml.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <variant>

#include "base/text.hpp"
#include "yaml/block_scalar.hpp"
#include "yaml/collection_layout.hpp"
#include "yaml/quoted_scalar.hpp"
#include "yaml/yaml_source.hpp"

namespace zav {
namespace {

// The text may be rewritten this many times before it is given up; each
// rewrite reads the text once more, so a long text is rewritten only while
// the bytes read again stay within a bound too.
constexpr std::size_t MAX_REWRITES = 100;
constexpr std::size_t MAX_REREAD_BYTES = std::size_t{8} << 20;

bool may_rewrite(std::size_t rewrites, std::size_t text_size) {
  return rewrites < MAX_REWRITES && (rewrites + 1) * text_size <= MAX_REREAD_BYTES;
}

struct SyntaxError {
  std::string description;
  std::size_t offset;  // in the text that the parser read
};

// The text must be changed and read again: the parser misreads a node
// there, and the change makes it read the node right. `piece` is inserted
// at `offset`, or replaces the character there; `unfold` marks a folded
// block scalar whose header became a literal one, to be folded here.
struct Rewrite {
  std::size_t offset;
  std::string_view piece;
  bool replace = false;
  bool unfold = false;
};

struct StreamRead {};   // every event was handed over
struct ReadStopped {};  // the receiver asked to stop

using PassOutcome = std::variant<StreamRead, ReadStopped, SyntaxError, Rewrite>;

struct ParserDeleter {
  void operator()(fy_parser* parser) const { fy_parser_destroy(parser); }
};
struct DiagDeleter {
  void operator()(fy_diag* diag) const { fy_diag_destroy(diag); }
};

// Frees one event of the parser when it goes out of scope.
class EventPtr {
 public:
  EventPtr(fy_parser* parser, fy_event* event) : parser_(parser), event_(event) {}
  EventPtr(const EventPtr&) = delete;
  EventPtr& operator=(const EventPtr&) = delete;
  ~EventPtr() { fy_parser_event_free(parser_, event_); }

 private:
  fy_parser* parser_;
  fy_event* event_;
};

struct TokenIterDeleter {
  void operator()(fy_token_iter* iter) const { fy_token_iter_destroy(iter); }
};

std::string_view token_text(fy_token* token) {
  std::size_t length = 0;
  const char* text = token != nullptr ? fy_token_get_text(token, &length) : nullptr;
  return text != nullptr ? std::string_view(text, length) : std::string_view();
}

// The parser's text of a plain or block scalar. fy_token_get_text loses the
// chunk storage of its iterator on some of them (trailing lines of white
// space, lone CRs), so the chunks are read here through an iterator that is
// freed. Like the parser's own text they are cut at the parser's length and,
// where they fall short of it, filled up with NULs.
void read_scalar_text(fy_token* token, std::string& text) {
  text.clear();
  std::size_t length = fy_token_get_text_length(token);
  if (length == static_cast<std::size_t>(-1)) return;
  std::unique_ptr<fy_token_iter, TokenIterDeleter> iter(fy_token_iter_create(token));
  const fy_iter_chunk* chunk = nullptr;
  int error = 0;
  while (iter != nullptr && text.size() < length &&
         (chunk = fy_token_iter_chunk_next(iter.get(), chunk, &error)) != nullptr) {
    text.append(chunk->str, std::min(chunk->len, length - text.size()));
  }
  text.resize(length, '\0');
}

std::size_t token_start(fy_token* token) {
  const fy_mark* mark = token != nullptr ? fy_token_start_mark(token) : nullptr;
  return mark != nullptr ? mark->input_pos : 0;
}

std::size_t token_end(fy_token* token) {
  const fy_mark* mark = token != nullptr ? fy_token_end_mark(token) : nullptr;
  return mark != nullptr ? mark->input_pos : 0;
}

ScalarStyle scalar_style(fy_token* token) {
  switch (fy_token_scalar_style(token)) {
    case FYSS_SINGLE_QUOTED:
      return ScalarStyle::SingleQuoted;
    case FYSS_DOUBLE_QUOTED:
      return ScalarStyle::DoubleQuoted;
    case FYSS_LITERAL:
      return ScalarStyle::Literal;
    case FYSS_FOLDED:
      return ScalarStyle::Folded;
    default:
      return ScalarStyle::Plain;
  }
}

// The parser lets a byte-order mark into the name of an anchor or alias,
// where YAML allows none (it is not a character of content).
bool holds_byte_order_mark(std::string_view name) {
  return name.find(BYTE_ORDER_MARK) != std::string_view::npos;
}

// Plain scalars on one line are their source; the parser's own text is
// read only for the others.
bool is_single_line(std::string_view text) {
  for (char c : text) {
    if (c == '\n' || c == '\r' || c == '\0') return false;
  }
  return true;
}

// One parser and its diagnostics per thread, reused from text to text:
// setting them up costs more than reading a frontmatter block. A parser is
// kept only after a pass that read its whole text to the end of the stream
// without a diagnostic. It is reset before the next text when the text it
// read held a document marker or a directive: without the reset, such a
// stream changes how later ones are read (a text of directives alone is no
// longer an error after a text that began a document with "---", even with
// other texts read in between). A text without them leaves nothing behind,
// and the reset, which builds the parser's default document state once
// more, is skipped. A parser that ended any other way is thrown away.
class ParserSlot {
 public:
  // A parser set to read `text` (which must outlive the pass), or nothing.
  fy_parser* start(std::string_view text) {
    if (parser_ != nullptr && marked_ && fy_parser_reset(parser_.get()) != 0) discard();
    marked_ = text.find("---") != std::string_view::npos ||
              text.find("...") != std::string_view::npos ||
              text.find('%') != std::string_view::npos;
    if (parser_ == nullptr && !create()) return nullptr;
    const char* data = text.empty() ? "" : text.data();  // never a null pointer
    if (fy_parser_set_string(parser_.get(), data, text.size()) != 0) {
      discard();
      return nullptr;
    }
    return parser_.get();
  }

  fy_diag* diag() const { return diag_.get(); }

  // After a pass: `clean` when it read the whole text.
  void finish(bool clean) {
    void* iterator = nullptr;
    if (!clean || fy_diag_errors_iterate(diag_.get(), &iterator) != nullptr) discard();
  }

 private:
  bool create() {
    fy_diag_cfg diag_config;
    fy_diag_cfg_default(&diag_config);
    diag_config.fp = nullptr;
    diag_config.output_fn = [](fy_diag*, void*, const char*, std::size_t) {};
    diag_.reset(fy_diag_create(&diag_config));
    if (diag_ == nullptr) return false;
    fy_diag_set_collect_errors(diag_.get(), true);
    fy_parse_cfg config{};
    config.flags = static_cast<fy_parse_cfg_flags>(FYPCF_QUIET | FYPCF_COLLECT_DIAG);
    config.diag = diag_.get();
    parser_.reset(fy_parser_create(&config));
    if (parser_ == nullptr) diag_.reset();
    return parser_ != nullptr;
  }

  void discard() {
    parser_.reset();
    diag_.reset();
  }

  std::unique_ptr<fy_diag, DiagDeleter> diag_;
  std::unique_ptr<fy_parser, ParserDeleter> parser_;  // holds a reference to diag_
  bool marked_ = false;  // the last text held "---", "..." or "%"
};

thread_local ParserSlot parser_slot;

// The first error that the parser collected, or a plain description at the
// end of the text when it collected none.
SyntaxError collected_error(fy_diag* diag, std::string_view text) {
  void* iterator = nullptr;
  while (fy_diag_error* error = fy_diag_errors_iterate(diag, &iterator)) {
    if (error->type != FYET_ERROR) continue;
    std::string description = error->msg != nullptr ? error->msg : "invalid YAML";
    std::size_t offset = error->fyt != nullptr ? token_start(error->fyt)
                                               : yaml_offset_of(text, error->line, error->column);
    // The parser places errors of a quoted scalar after its opening quote;
    // they are reported at the quote.
    if (description.find("quoted scalar") != std::string::npos && offset > 0 &&
        offset <= text.size() && (text[offset - 1] == '"' || text[offset - 1] == '\'')) {
      --offset;
    }
    return {std::move(description), offset};
  }
  return {"unsupported YAML stream", text.size()};
}

// The anchor and tag tokens of a node event, read from the event itself.
struct NodeProperties {
  fy_token* anchor = nullptr;
  fy_token* tag = nullptr;
};

NodeProperties event_properties(const fy_event* raw) {
  switch (raw->type) {
    case FYET_SCALAR:
      return {raw->scalar.anchor, raw->scalar.tag};
    case FYET_SEQUENCE_START:
      return {raw->sequence_start.anchor, raw->sequence_start.tag};
    case FYET_MAPPING_START:
      return {raw->mapping_start.anchor, raw->mapping_start.tag};
    default:
      return {};
  }
}

// One reading of the text by the parser: its events, translated, go to the
// receiver. Anchors are numbered, aliases and tags resolved, and the rules
// that the parser leaves out are checked here.
class EventPass {
 public:
  // `unfolded` holds the original offsets of folded headers that the text
  // now spells as literal ones.
  EventPass(const PatchedText& source, const std::set<std::size_t>& unfolded,
            YamlEventReceiver& receiver)
      : source_(source),
        text_(source.text()),
        unfolded_(unfolded),
        receiver_(receiver),
        layout_(text_),
        may_hold_directives_(text_.find('%') != std::string_view::npos),
        restored_line_end_(!source.original().empty() && source.original().back() != '\n' &&
                           source.original().back() != '\r') {}

  PassOutcome run() {
    parser_ = parser_slot.start(text_);
    if (parser_ == nullptr) return SyntaxError{"cannot start the YAML parser", 0};
    PassOutcome outcome = read_events(parser_slot.diag());
    parser_slot.finish(std::holds_alternative<StreamRead>(outcome));
    return outcome;
  }

 private:
  PassOutcome read_events(fy_diag* diag) {
    for (;;) {
      fy_event* raw = fy_parser_parse(parser_);
      if (raw == nullptr || (raw->type == FYET_STREAM_END && fy_parser_get_stream_error(parser_))) {
        EventPtr owned(parser_, raw);
        return parser_error(collected_error(diag, text_));
      }
      EventPtr owned(parser_, raw);
      if (may_hold_directives_) {
        if (auto problem = check_directives(diag, raw)) return *problem;
      }
      YamlEvent event;
      if (auto problem = translate(raw, event)) return *problem;
      if (!receiver_.on_event(event)) return ReadStopped{};
      if (event.type == YamlEventType::StreamEnd) return StreamRead{};
    }
  }

  using Problem = std::optional<PassOutcome>;

  static Problem layout_problem(std::optional<SourceError> error) {
    if (!error) return std::nullopt;
    return SyntaxError{error->description, error->offset};
  }

  // The parser rejects an empty entry of a block sequence that is not
  // indented under its mapping key ("a:\n-\n"); "~" is the same null. It
  // reads a tag on into a flow indicator that follows it ("{a: [!]}"), which
  // may end the parse before the tag's node is reported: a space is put
  // between them. And it takes a tab between the indicator of an entry, key
  // or value and a node on its line that begins with an indicator ("-\t|",
  // "-\t:x", ":\t\"x\"") for indentation, where it only separates them: the
  // blanks there become spaces.
  PassOutcome parser_error(SyntaxError error) const {
    if (auto stop = find_flow_indicator_after_tag(text_, last_event_end_, error.offset)) {
      return Rewrite{*stop, " "};
    }
    // It ends a tag or a tag directive's prefix at a "#" that follows a
    // character of it, where a URI may hold one: the "#" is read as ";",
    // which no more makes the tag the null tag than the "#" does.
    if ((error.description == "invalid tag terminator" ||
         error.description == "missing '>' uri terminator" ||
         error.description == "garbage after tag directive") &&
        error.offset > 0 && error.offset < text_.size() && text_[error.offset] == '#' &&
        text_[error.offset - 1] != ' ' && text_[error.offset - 1] != '\t') {
      return Rewrite{error.offset, ";", true};
    }
    // It refuses Unicode spaces that YAML allows in the name of an anchor
    // or alias (NEL, the no-break space and others): it reads "_" in their
    // place, and names are read from the original text. The position of its
    // error is not always that of the name: the name is the first one after
    // the last event.
    if (error.description.starts_with("illegal unicode ") &&
        (error.description.ends_with(" in anchor") || error.description.ends_with(" in alias"))) {
      if (auto space = find_space_in_anchor_name(text_, last_event_end_)) {
        constexpr std::string_view UNDERSCORES = "____";
        return Rewrite{space->offset, UNDERSCORES.substr(0, space->length), true};
      }
      return error;
    }
    // It takes a multi-line plain scalar, or an explicit key further in,
    // for the key of an entry that begins a line with ":" and has none
    // ("a:\n- x\n 1\n: b"). An empty key is null as "~" is: "~ " is put
    // before the ":".
    if (error.description == "invalid multiline plain key" ||
        error.description == "did not find expected key") {
      bool at_colon = error.description == "did not find expected key";
      if (auto colon = find_empty_key_entry(text_, error.offset, at_colon)) {
        return Rewrite{*colon, "~ "};
      }
      return error;
    }
    // After a tab between a ":" that begins a line and its value, it takes
    // the next key's ":" for one indented with tabs ("? a\n:\tb\nc: d"): the
    // blanks after that first ":" become spaces.
    if (error.description == "Indentation used tabs for ':' indicator") {
      if (auto blanks = find_tab_after_value_indicator(text_, error.offset)) {
        constexpr std::string_view SPACES = "                ";
        return Rewrite{blanks->offset, SPACES.substr(0, std::min(blanks->length, SPACES.size())),
                       true};
      }
      return error;
    }
    if (error.description == "cannot use tab for indentation of block entry" ||
        error.description.starts_with("plain scalar cannot start with ")) {
      if (auto blanks = find_tab_before_node(text_, error.offset)) {
        constexpr std::string_view SPACES = "                ";
        return Rewrite{blanks->offset, SPACES.substr(0, std::min(blanks->length, SPACES.size())),
                       true};
      }
      return error;
    }
    if (error.description != "did not find expected node content" || !layout_.in_block_sequence()) {
      return error;
    }
    auto dash = find_empty_entry(text_, last_event_end_);
    if (!dash || *dash >= error.offset) return error;
    return Rewrite{*dash + 1, " ~"};
  }

  // The parser skips a directive that it does not know, even in the middle
  // of a document; its warning shows where one stood.
  Problem check_directives(fy_diag* diag, fy_event* raw) {
    for (;;) {
      void* next = diag_cursor_;
      fy_diag_error* entry = fy_diag_errors_iterate(diag, &next);
      if (entry == nullptr) return std::nullopt;
      diag_cursor_ = next;
      if (entry->type != FYET_WARNING || entry->fyt == nullptr || entry->msg == nullptr ||
          std::string_view(entry->msg) != "Unsupported directive") {
        continue;
      }
      std::size_t name = token_start(entry->fyt);
      std::size_t percent = name > 0 && text_[name - 1] == '%' ? name - 1 : name;
      if (auto error = check_directive_name(text_, percent + 1)) {
        return SyntaxError{error->description, error->offset};
      }
      fy_token* end_marker =
          raw->type == FYET_DOCUMENT_END ? raw->document_end.document_end : nullptr;
      bool ended = end_marker != nullptr && token_start(end_marker) < percent;
      if (document_open_ && !ended) {
        return SyntaxError{"missing explicit document end marker before directive", percent};
      }
      directive_pending_ = true;
    }
  }

  Problem translate(fy_event* raw, YamlEvent& event) {
    properties_ = event_properties(raw);
    bool in_flow = layout_.in_flow_collection();  // before the event opens a collection
    Problem problem = translate_content(raw, event);
    if (!problem && raw->type != FYET_ALIAS) {
      if (Problem properties = translate_properties(event, in_flow)) return properties;
    }
    note_event_end(raw, event);
    if (problem) return problem;
    switch (raw->type) {
      case FYET_SCALAR:
      case FYET_ALIAS:
        return layout_problem(layout_.end_scalar(last_event_end_));
      case FYET_SEQUENCE_END:
      case FYET_MAPPING_END:
        return layout_problem(layout_.end_collection(last_event_end_));
      default:
        return std::nullopt;
    }
  }

  Problem translate_content(fy_event* raw, YamlEvent& event) {
    switch (raw->type) {
      case FYET_STREAM_START:
        event.type = YamlEventType::StreamStart;
        return std::nullopt;
      case FYET_STREAM_END:
        event.type = YamlEventType::StreamEnd;
        // A directive the parser skipped must be followed by a document.
        if (directive_pending_) {
          return SyntaxError{"stream with directives without content", text_.size()};
        }
        return std::nullopt;
      case FYET_DOCUMENT_START: {
        event.type = YamlEventType::DocumentStart;
        anchor_names_.clear();  // names do not carry over into the next document
        Problem problem = check_document_start(raw);
        document_open_ = true;
        document_implicit_ = raw->document_start.implicit;
        directive_pending_ = false;
        return problem;
      }
      case FYET_DOCUMENT_END:
        event.type = YamlEventType::DocumentEnd;
        document_open_ = false;
        return std::nullopt;
      case FYET_SCALAR:
        return translate_scalar(raw, event);
      case FYET_SEQUENCE_START:
      case FYET_MAPPING_START:
        return open_collection(raw, event);
      case FYET_SEQUENCE_END:
      case FYET_MAPPING_END:
        event.type =
            raw->type == FYET_SEQUENCE_END ? YamlEventType::SequenceEnd : YamlEventType::MappingEnd;
        return std::nullopt;
      case FYET_ALIAS:
        return translate_alias(raw, event);
      default:
        return std::nullopt;
    }
  }

  // Where the source of the event ends (an empty node ends with its
  // properties).
  void note_event_end(fy_event* raw, const YamlEvent& event) {
    if (const fy_mark* end = fy_event_end_mark(raw)) {
      last_event_end_ = end->input_pos;
      // A quoted scalar's token ends before its closing quote.
      bool quoted =
          event.type == YamlEventType::Scalar &&
          (event.style == ScalarStyle::SingleQuoted || event.style == ScalarStyle::DoubleQuoted);
      if (quoted && last_event_end_ < text_.size()) ++last_event_end_;
    }
    if (raw->type == FYET_ALIAS) return;
    if (fy_token* anchor = properties_.anchor) {
      last_event_end_ = std::max(last_event_end_, token_end(anchor));
    }
    if (fy_token* tag = properties_.tag) {
      last_event_end_ = std::max(last_event_end_, token_end(tag));
    }
  }

  // Directives must be followed by an explicit "---".
  Problem check_document_start(fy_event* raw) const {
    fy_document_state* state = raw->document_start.document_state;
    if (state != nullptr && fy_document_state_tags_explicit(state)) {
      // A handle is "!", "!!" or a word between two "!" (the parser keeps an
      // empty one of its own among them, with an empty prefix).
      void* iterator = nullptr;
      while (const fy_tag* directive = fy_document_state_tag_directive_iterate(state, &iterator)) {
        std::string_view handle = directive->handle != nullptr ? directive->handle : "";
        std::string_view prefix = directive->prefix != nullptr ? directive->prefix : "";
        if (handle.empty()) continue;
        if (!is_valid_tag_handle(handle)) {
          return SyntaxError{"while parsing a tag directive, did not find expected '!'",
                             find_tag_directive(text_, handle)};
        }
        // A prefix is local ("!...") or begins with a character a tag may hold.
        if (prefix.empty() || prefix.find_first_of(",[]{}") == 0) {
          return SyntaxError{"while parsing a tag directive, found an invalid tag prefix",
                             find_tag_directive(text_, handle)};
        }
      }
    }
    if (!raw->document_start.implicit) return std::nullopt;
    bool directives =
        directive_pending_ || (state != nullptr && (fy_document_state_version_explicit(state) ||
                                                    fy_document_state_tags_explicit(state)));
    if (!directives) return std::nullopt;
    return SyntaxError{"did not find expected <document start>", first_content_line_start(text_)};
  }

  // Where a node begins: its first property, else its content.
  std::size_t node_start(std::size_t content) const {
    std::size_t start = content;
    if (fy_token* anchor = properties_.anchor) {
      std::size_t at = token_start(anchor);
      start = std::min(start, at > 0 && text_[at - 1] == '&' ? at - 1 : at);
    }
    if (fy_token* tag = properties_.tag) start = std::min(start, token_start(tag));
    return start;
  }

  // The text of a quoted scalar, read from the source between its quotes
  // (the token starts after the opening quote and ends at the closing one).
  Problem decode_quoted(fy_token* value, YamlEvent& event) {
    std::size_t start = std::min(token_start(value), text_.size());
    std::string_view content = text_.substr(start, std::max(start, token_end(value)) - start);
    if (event.style == ScalarStyle::SingleQuoted) {
      scalar_text_ = decode_single_quoted(content);
    } else if (auto decoded = decode_double_quoted(content)) {
      scalar_text_ = std::move(*decoded);
    } else {
      return SyntaxError{"while parsing a quoted scalar, found unknown escape character",
                         start > 0 ? start - 1 : start};
    }
    event.text = scalar_text_;
    return std::nullopt;
  }

  Problem translate_scalar(fy_event* raw, YamlEvent& event) {
    fy_token* value = raw->scalar.value;
    event.type = YamlEventType::Scalar;
    event.style = scalar_style(value);
    std::size_t start = std::min(token_start(value), text_.size());
    std::size_t end = std::max(start, std::min(token_end(value), text_.size()));
    switch (event.style) {
      case ScalarStyle::Plain: {
        std::string_view source = text_.substr(start, end - start);
        if (is_single_line(source)) {
          event.text = source;
        } else {
          read_scalar_text(value, scalar_text_);
          event.text = scalar_text_;
        }
        if (end > start) {
          return layout_problem(layout_.begin_node(NodeKind::Scalar, node_start(start), start));
        }
        // An empty node begins with its properties.
        std::size_t properties = node_start(text_.size());
        if (properties < text_.size()) {
          return layout_problem(layout_.begin_node(NodeKind::Scalar, properties, properties));
        }
        return std::nullopt;
      }
      case ScalarStyle::SingleQuoted:
      case ScalarStyle::DoubleQuoted: {
        std::size_t quote = start > 0 ? start - 1 : start;
        if (event.style == ScalarStyle::DoubleQuoted && has_invalid_unicode_escape(text_, start)) {
          return SyntaxError{
              "while parsing a quoted scalar, found invalid Unicode character escape code", quote};
        }
        if (auto decoding = decode_quoted(value, event)) return decoding;
        return layout_problem(layout_.begin_node(NodeKind::Scalar, node_start(quote), quote));
      }
      case ScalarStyle::Literal:
      case ScalarStyle::Folded:
        return check_block_scalar(raw, event);
    }
    return std::nullopt;
  }

  // The '|' or '>' of a block scalar's header.
  std::optional<std::size_t> block_indicator(fy_event* raw) const {
    std::size_t from = last_event_end_;
    if (fy_token* anchor = properties_.anchor) from = std::max(from, token_end(anchor));
    if (fy_token* tag = properties_.tag) from = std::max(from, token_end(tag));
    auto indicator = find_block_scalar_indicator(text_, from);
    if (indicator && *indicator >= token_start(raw->scalar.value)) return std::nullopt;
    return indicator;
  }

  // Mends what the parser gets wrong about block scalars. An empty one with
  // no indentation indicator, nested in a block collection, takes the
  // collection's next line as its content: the header is given an
  // indicator. The parser's text of them drops characters at the end of
  // some lines and spaces on lines of spaces only: the text is made here
  // from the scalar's lines. Only when its header is not found is the
  // parser's text taken, and mended: a folded one that loses a line break
  // before a more indented line that follows an empty line is read as a
  // literal one and folded here, and a stray NUL may end one without
  // content lines.
  Problem check_block_scalar(fy_event* raw, YamlEvent& event) {
    // The parser takes no line at column 0 for the content of a block scalar
    // that is the root of a document without "---", which it may be: the
    // document is given its "---" when such a scalar begins the text.
    if (document_implicit_ && !layout_.in_block_collection() && !layout_.in_flow_collection() &&
        properties_.anchor == nullptr && properties_.tag == nullptr) {
      auto indicator = block_indicator(raw);
      if (indicator && skip_separation(text_, 0) == *indicator) return Rewrite{*indicator, "--- "};
    }
    fy_token* value = raw->scalar.value;
    std::size_t content = token_start(value);
    std::size_t end = std::max(content, token_end(value));
    auto line = first_content_line(text_, content, end);
    if (line && layout_.in_block_collection() && line->indentation <= layout_.innermost_column()) {
      auto indicator = block_indicator(raw);
      if (!indicator || has_indentation_indicator(text_, *indicator)) {
        return SyntaxError{"unsupported block scalar indentation", line->offset};
      }
      return Rewrite{*indicator + 1, "1"};
    }
    auto indicator = block_indicator(raw);
    BlockScalarHeader header =
        indicator ? read_block_scalar_header(text_, *indicator) : BlockScalarHeader{};
    // The parser lets a comment follow two indicators without white space.
    if (indicator) {
      if (auto garbage = find_block_header_end(text_, *indicator)) {
        return SyntaxError{
            "while scanning a block scalar, did not find expected comment or line break", *garbage};
      }
    }
    if (indicator && header.indentation == 0 && layout_.in_block_collection()) {
      if (auto rewrite = indent_content_left_out(*indicator, end)) return rewrite;
    }
    // Content is indented past the innermost block collection (a root node
    // counts as indented by -1) by the header's indentation, if it gives one.
    std::optional<std::size_t> indentation;
    if (header.indentation != 0) {
      std::size_t base = layout_.in_block_collection() ? layout_.innermost_column() + 1 : 0;
      indentation = base + header.indentation - 1;
    }
    if (indicator) {
      // The line end put back at the end of the text ends a last line of
      // content, but does not make a last line of spaces an empty line.
      std::size_t lines_end = restored_line_end_ && end == text_.size() ? end - 1 : end;
      scratch_ = block_scalar_text(text_.substr(content, lines_end - content), indentation,
                                   {event.style == ScalarStyle::Folded, header.chomping});
      event.text = scratch_;
      return std::nullopt;
    }
    read_scalar_text(value, scalar_text_);
    event.text = scalar_text_;
    if (event.style == ScalarStyle::Literal && !unfolded_.empty()) {
      auto indicator = block_indicator(raw);
      if (indicator && unfolded_.contains(source_.original_offset(*indicator))) {
        scratch_ = fold_block_lines(event.text);
        event.text = scratch_;
        event.style = ScalarStyle::Folded;
        return std::nullopt;
      }
    }
    // Block scalars have no escapes: a NUL that the source does not hold is
    // the parser's.
    if (event.text.find('\0') != std::string_view::npos &&
        text_.substr(content, end - content).find('\0') == std::string_view::npos) {
      if (line && event.style == ScalarStyle::Folded) {
        auto indicator = block_indicator(raw);
        if (!indicator) return SyntaxError{"unsupported block scalar", content};
        return Rewrite{*indicator, "|", true, true};
      }
      if (line) return SyntaxError{"unsupported block scalar", content};
      scratch_.assign(event.text);
      std::erase(scratch_, '\0');
      event.text = scratch_;
    }
    return std::nullopt;
  }

  // The parser takes no content line that is indented less than a header
  // which stands below its key or entry ("a:\n  |\n x"), although such a
  // line is content when it is indented past the collection: the header is
  // given the indentation of that line. Not when an empty line before it
  // holds more spaces, which is an error that the parser reports itself.
  Problem indent_content_left_out(std::size_t indicator, std::size_t token_end) const {
    constexpr std::string_view DIGITS = "0123456789";
    std::size_t header_end = text_.find_first_of("\r\n", indicator);
    if (header_end == std::string_view::npos) return std::nullopt;
    auto line = first_content_line(text_, header_end, text_.size());
    std::size_t column = layout_.innermost_column();
    if (!line || line->offset + line->indentation < token_end || line->indentation <= column ||
        line->indentation - column >= DIGITS.size()) {
      return std::nullopt;
    }
    for (std::size_t start = header_end; start < line->offset;) {
      std::size_t spaces = 0;
      while (text_[start] == '\r' || text_[start] == '\n') ++start;
      while (start + spaces < line->offset && text_[start + spaces] == ' ') ++spaces;
      if (spaces > line->indentation) return std::nullopt;
      start += spaces;
    }
    return Rewrite{indicator + 1, DIGITS.substr(line->indentation - column, 1)};
  }

  Problem open_collection(fy_event* raw, YamlEvent& event) {
    bool sequence = raw->type == FYET_SEQUENCE_START;
    event.type = sequence ? YamlEventType::SequenceStart : YamlEventType::MappingStart;
    fy_token* start =
        sequence ? raw->sequence_start.sequence_start : raw->mapping_start.mapping_start;
    std::size_t offset = token_start(start);
    NodeKind kind = sequence ? NodeKind::BlockSequence : NodeKind::BlockMapping;
    fy_token_type type = start != nullptr ? fy_token_get_type(start) : FYTT_NONE;
    if (type == FYTT_FLOW_SEQUENCE_START || type == FYTT_FLOW_MAPPING_START) {
      bool bracket = offset < text_.size() && (text_[offset] == '[' || text_[offset] == '{');
      kind = bracket ? NodeKind::FlowCollection : NodeKind::FlowPair;
    }
    if (kind == NodeKind::BlockMapping && layout_.awaits_block_value() &&
        on_line_of_value_indicator(offset)) {
      return SyntaxError{"invalid nested block mapping on the same line", offset};
    }
    return layout_problem(layout_.begin_node(kind, node_start(offset), offset));
  }

  // True when the ":" that follows the last key read stands on the line of
  // `offset`, after something else on its line. A ":" that begins its line
  // (after an explicit key, or before an empty key) may have a compact
  // mapping as its value.
  bool on_line_of_value_indicator(std::size_t offset) const {
    std::size_t colon = find_value_indicator(text_, last_event_end_);
    if (colon >= offset) return false;
    if (text_.substr(colon, offset - colon).find_first_of("\r\n") != std::string_view::npos) {
      return false;
    }
    std::size_t before = colon;
    while (before > 0 && (text_[before - 1] == ' ' || text_[before - 1] == '\t')) --before;
    return before > 0 && text_[before - 1] != '\n' && text_[before - 1] != '\r';
  }

  // The name of an anchor or alias, as the original text spells it.
  std::string_view anchor_name(fy_token* token) const {
    std::size_t start = source_.original_offset(token_start(token));
    std::size_t end = source_.original_offset(token_end(token));
    std::string_view original = source_.original();
    if (start > end || end > original.size()) return token_text(token);
    return original.substr(start, end - start);
  }

  Problem translate_alias(fy_event* raw, YamlEvent& event) {
    event.type = YamlEventType::Alias;
    // The alias token starts after its "*".
    std::size_t offset = token_start(raw->alias.anchor);
    if (offset > 0 && offset <= text_.size() && text_[offset - 1] == '*') --offset;
    std::string_view name = anchor_name(raw->alias.anchor);
    if (holds_byte_order_mark(name)) {
      return SyntaxError{"while scanning an alias, found a byte-order mark", offset};
    }
    auto found = anchor_names_.find(name);
    if (found == anchor_names_.end()) {
      return SyntaxError{"while parsing node, found unknown anchor", offset};
    }
    event.anchor_id = found->second;
    return layout_problem(layout_.begin_node(NodeKind::Scalar, offset, offset));
  }

  Problem translate_properties(YamlEvent& event, bool in_flow) {
    if (fy_token* anchor = properties_.anchor) {
      std::string_view name = anchor_name(anchor);
      if (holds_byte_order_mark(name)) {
        std::size_t at = token_start(anchor);
        return SyntaxError{"while scanning an anchor, found a byte-order mark",
                           at > 0 && text_[at - 1] == '&' ? at - 1 : at};
      }
      event.anchor_id = ++last_anchor_id_;
      anchor_names_.insert_or_assign(std::string(name), event.anchor_id);
    }
    fy_token* tag = properties_.tag;
    if (tag == nullptr) return std::nullopt;
    std::size_t handle_length = 0, suffix_length = 0;
    const char* handle_text = fy_tag_token_handle(tag, &handle_length);
    const char* suffix_text = fy_tag_token_suffix(tag, &suffix_length);
    std::string_view handle(handle_text != nullptr ? handle_text : "", handle_length);
    std::string_view suffix(suffix_text != nullptr ? suffix_text : "", suffix_length);
    std::size_t start = token_start(tag);
    // "!!" or a named handle needs a suffix; "!" alone is the non-specific tag.
    if (suffix.empty() && handle.size() > 1) {
      return SyntaxError{"while parsing a tag, did not find expected tag URI", start};
    }
    std::string_view tag_text = text_.substr(start, token_end(tag) - start);
    if (!is_valid_shorthand_tag(tag_text)) {
      // A flow indicator ends a tag; the parser reads on into it.
      if (auto stop = flow_indicator_after_tag(tag_text); stop && in_flow) {
        return Rewrite{start + *stop, " "};
      }
      return SyntaxError{"while scanning a tag, did not find expected whitespace or line break",
                         start};
    }
    // The parser takes a named handle that begins with a digit or "-"
    // ("!1!x") for the primary handle and a suffix; it must be declared.
    if (handle == "!" && !tag_text.starts_with("!<")) {
      std::size_t second = tag_text.find('!', 1);
      std::string_view named = tag_text.substr(0, second == std::string_view::npos ? 0 : second + 1);
      if (!named.empty() && is_valid_tag_handle(named)) {
        auto prefix = declared_prefix(named);
        if (!prefix) return SyntaxError{"undefined tag prefix", start};
        event.tag = YamlTag{std::move(*prefix), std::string(tag_text.substr(named.size()))};
        return std::nullopt;
      }
    }
    event.tag = YamlTag{resolve_handle(handle), std::string(suffix)};
    return std::nullopt;
  }

  // The prefix that the document's directives bind to `handle`; the handle
  // itself when none does (a verbatim tag has an empty handle).
  std::string resolve_handle(std::string_view handle) const {
    if (handle.empty()) return {};
    return declared_prefix(handle).value_or(std::string(handle));
  }

  // The prefix that a directive of the document binds to `handle`.
  std::optional<std::string> declared_prefix(std::string_view handle) const {
    fy_document_state* state = fy_parser_get_document_state(parser_);
    void* iterator = nullptr;
    while (state != nullptr) {
      const fy_tag* directive = fy_document_state_tag_directive_iterate(state, &iterator);
      if (directive == nullptr) break;
      if (directive->handle != nullptr && directive->prefix != nullptr &&
          handle == directive->handle) {
        return std::string(directive->prefix);
      }
    }
    return std::nullopt;
  }

  const PatchedText& source_;
  std::string_view text_;
  const std::set<std::size_t>& unfolded_;
  YamlEventReceiver& receiver_;
  CollectionLayout layout_;
  fy_parser* parser_ = nullptr;
  std::map<std::string, std::uint64_t, std::less<>> anchor_names_;
  std::uint64_t last_anchor_id_ = 0;
  NodeProperties properties_;  // of the event being translated
  std::size_t last_event_end_ = 0;
  std::string scalar_text_;         // the text of the scalar being translated
  std::string scratch_;             // a scalar text that had to be mended
  void* diag_cursor_ = nullptr;     // the last diagnostic looked at
  bool document_open_ = false;      // between a document's start and end
  bool document_implicit_ = false;  // the open document began without "---"
  bool directive_pending_ = false;  // a skipped directive awaits its document
  bool may_hold_directives_;        // the text holds a "%"
  bool restored_line_end_;          // the text's last line end was put back
};

}  // namespace

std::expected<void, std::string> read_yaml_events(std::string_view text,
                                                  YamlEventReceiver& receiver) {
  // YAML allows no NUL anywhere; the parser would take one for the end of
  // the text and drop what follows. Only the text before the first NUL is
  // read, so that a syntax error there comes first; then the NUL is one.
  std::size_t nul = text.find('\0');
  std::string_view readable = text.substr(0, nul);
  // The parser fails on such a tab and then crashes when it is destroyed:
  // the text is rejected before it reaches the parser, with its message.
  if (auto tab = find_tab_before_indicator_in_explicit_key(text); tab && *tab < readable.size()) {
    return std::unexpected("cannot use tab for indentation of block entry" +
                           yaml_position_text(text, *tab));
  }
  // The text is copied into storage that each thread keeps for the next one.
  thread_local PatchedText source;
  source.reset(readable);
  // A document of another 1.x version is read as a 1.2 one: the parser
  // would take NEL, LS and PS for line breaks in a 1.1 document, and it
  // refuses other versions; a later major version is refused here.
  for (const VersionDirective& directive : find_version_directives(readable)) {
    if (!is_decimal_number(directive.major, 1)) {
      return std::unexpected("unsupported YAML version" +
                             yaml_position_text(text, directive.offset));
    }
    if (!is_decimal_number(directive.minor, 2)) {
      std::size_t minor = static_cast<std::size_t>(directive.minor.data() - readable.data());
      source.replace(minor, '2');
      for (std::size_t i = 1; i < directive.minor.size(); ++i) source.replace(minor + i, ' ');
    }
  }
  // The end of the text ends its last line, as the line end that the
  // frontmatter split removed did.
  if (!readable.empty() && readable.back() != '\n' && readable.back() != '\r') {
    source.insert(readable.size(), "\n");
  }
  std::set<std::size_t> unfolded;
  for (std::size_t rewrites = 0;; ++rewrites) {
    PassOutcome outcome = EventPass(source, unfolded, receiver).run();
    if (auto* rewrite = std::get_if<Rewrite>(&outcome)) {
      if (may_rewrite(rewrites, source.text().size())) {
        if (rewrite->unfold) unfolded.insert(source.original_offset(rewrite->offset));
        if (rewrite->replace) {
          for (std::size_t i = 0; i < rewrite->piece.size(); ++i) {
            source.replace(rewrite->offset + i, rewrite->piece[i]);
          }
        } else {
          source.insert(rewrite->offset, rewrite->piece);
        }
        receiver.restart();
        continue;
      }
      outcome = SyntaxError{"too many empty nodes", rewrite->offset};
    }
    if (auto* error = std::get_if<SyntaxError>(&outcome)) {
      return std::unexpected(error->description +
                             yaml_position_text(text, source.original_offset(error->offset)));
    }
    if (nul < text.size() && std::holds_alternative<StreamRead>(outcome)) {
      return std::unexpected("invalid NUL character" + yaml_position_text(text, nul));
    }
    return {};
  }
}

}  // namespace zav
