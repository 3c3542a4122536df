#include "engine/reference_definitions.hpp"

#include <optional>

#include "engine/markdown_chars.hpp"

namespace zav {
namespace {

constexpr std::size_t MAX_LABEL_LENGTH = 1000;
constexpr int MAX_PARENTHESIS_DEPTH = 32;

// White space as cmark trims a label and ends a destination: space, tab, LF, VT, FF and CR.
bool is_white(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

class DefinitionReader {
 public:
  explicit DefinitionReader(std::string_view s) : s_(s) {}

  // The end of the definition that starts at `start`, if one does.
  std::optional<std::size_t> definition(std::size_t start) {
    pos_ = start;
    if (!label() || peek() != ':') return std::nullopt;
    ++pos_;
    skip_space_and_newline();
    std::optional<std::size_t> destination_length = destination();
    if (!destination_length) return std::nullopt;
    pos_ += *destination_length;
    std::size_t before_title = pos_;
    skip_space_and_newline();
    std::size_t title_length = pos_ == before_title ? 0 : title();
    if (title_length > 0) {
      pos_ += title_length;
    } else {
      pos_ = before_title;
    }
    skip_spaces();
    if (skip_line_end()) return pos_;
    if (title_length == 0) return std::nullopt;
    pos_ = before_title;  // the title is not followed by the line end: try without it
    skip_spaces();
    if (skip_line_end()) return pos_;
    return std::nullopt;
  }

 private:
  char peek() const { return pos_ < s_.size() ? s_[pos_] : '\0'; }

  bool label() {
    if (peek() != '[') return false;
    std::size_t begin = ++pos_, length = 0;
    while (pos_ < s_.size() && s_[pos_] != '[' && s_[pos_] != ']') {
      if (s_[pos_] == '\\' && pos_ + 1 < s_.size() && is_ascii_punctuation(s_[pos_ + 1])) {
        pos_ += 2;
        length += 2;
      } else {
        ++pos_;
        ++length;
      }
      if (length > MAX_LABEL_LENGTH) return false;
    }
    if (peek() != ']') return false;
    bool blank = true;
    for (std::size_t i = begin; i < pos_ && blank; ++i) blank = is_white(s_[i]);
    ++pos_;
    return !blank;
  }

  void skip_spaces() {
    while (is_space_or_tab(peek())) ++pos_;
  }

  // A line ending, or the end of the content.
  bool skip_line_end() {
    bool seen = false;
    if (peek() == '\r') ++pos_, seen = true;
    if (peek() == '\n') ++pos_, seen = true;
    return seen || pos_ >= s_.size();
  }

  void skip_space_and_newline() {
    skip_spaces();
    if (skip_line_end()) skip_spaces();
  }

  // Length of the destination at the current position: in angle brackets, or a run of
  // characters other than white space with balanced parentheses.
  std::optional<std::size_t> destination() const {
    std::size_t i = pos_;
    if (i < s_.size() && s_[i] == '<') {
      for (++i; i < s_.size(); ++i) {
        char c = s_[i];
        if (c == '>') return i + 1 < s_.size() ? std::optional(i + 1 - pos_) : std::nullopt;
        if (c == '\\') {
          ++i;
        } else if (c == '\n' || c == '<') {
          return std::nullopt;
        }
      }
      return std::nullopt;
    }
    int depth = 0;
    while (i < s_.size()) {
      char c = s_[i];
      if (c == '\\' && i + 1 < s_.size() && is_ascii_punctuation(s_[i + 1])) {
        i += 2;
      } else if (c == '(') {
        if (++depth > MAX_PARENTHESIS_DEPTH) return std::nullopt;
        ++i;
      } else if (c == ')') {
        if (depth == 0) break;
        --depth;
        ++i;
      } else if (is_white(c)) {
        if (i == pos_) return std::nullopt;
        break;
      } else {
        ++i;
      }
    }
    if (i >= s_.size() || depth != 0) return std::nullopt;
    return i - pos_;
  }

  // Length of the title at the current position, 0 when there is none. The title ends at the
  // last closing quote (or parenthesis) up to which every inner one is escaped.
  std::size_t title() const {
    char open = peek();
    char close = open == '(' ? ')' : open;
    if (open != '"' && open != '\'' && open != '(') return 0;
    std::size_t found = 0;
    for (std::size_t i = pos_ + 1; i < s_.size(); ++i) {
      char c = s_[i];
      if (open == '(' && c == '(' && s_[i - 1] != '\\') return found;
      if (c != close) continue;
      found = i + 1 - pos_;
      if (s_[i - 1] != '\\' || i - 1 == pos_) return found;
    }
    return found;
  }

  std::string_view s_;
  std::size_t pos_ = 0;
};

}  // namespace

std::size_t leading_definitions_length(std::string_view content) {
  DefinitionReader reader(content);
  std::size_t pos = 0;
  while (pos < content.size() && content[pos] == '[') {
    std::optional<std::size_t> end = reader.definition(pos);
    if (!end || *end == pos) break;
    pos = *end;
  }
  return pos;
}

}  // namespace zav
