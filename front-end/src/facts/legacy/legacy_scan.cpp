#include "facts/legacy/legacy_scan.hpp"

#include <algorithm>

#include "base/json_escape.hpp"
#include "base/text.hpp"

namespace zav {

namespace {

constexpr std::string_view kEofInString = "EOF while parsing a string";
constexpr std::string_view kControlInString =
    "control character (\\u0000-\\u001F) found while parsing a string";
constexpr std::string_view kInvalidEscape = "invalid escape";
constexpr std::string_view kLoneSurrogate = "lone leading surrogate in hex escape";
constexpr std::string_view kUnpairedHigh = "unexpected end of hex escape";

// The letters of the two-character escapes and the characters they stand for.
constexpr std::string_view kEscapeLetters = "\"\\/bfnrt";
constexpr std::string_view kEscapedCharacters = "\"\\/\b\f\n\r\t";

bool is_high_surrogate(unsigned n) {
  return n >= 0xD800 && n <= 0xDBFF;
}
bool is_low_surrogate(unsigned n) {
  return n >= 0xDC00 && n <= 0xDFFF;
}

}  // namespace

std::string describe_error(std::string_view input, const ScanError& error) {
  std::string_view before = input.substr(0, std::min(error.point, input.size()));
  std::size_t last_feed = before.rfind('\n');
  std::size_t line_start = last_feed == std::string_view::npos ? 0 : last_feed + 1;
  std::size_t line =
      1 + static_cast<std::size_t>(std::count(before.begin(), before.begin() + line_start, '\n'));
  std::size_t column = before.size() - line_start;
  return error.message + " at line " + std::to_string(line) + " column " + std::to_string(column);
}

std::optional<unsigned char> Scanner::peek_past_whitespace() {
  while (index_ < input_.size()) {
    char c = input_[index_];
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') break;
    ++index_;
  }
  return peek();
}

ScanError Scanner::error_here(std::string_view message) const {
  return ScanError{std::string(message), index_};
}

ScanError Scanner::error_after_next(std::string_view message) const {
  return ScanError{std::string(message), std::min(index_ + 1, input_.size())};
}

// Moves to the next byte that ends a run of plain string bytes: '"', '\\'
// or a control byte. False when the input ends first.
bool Scanner::find_string_stop() {
  index_ = find_json_escape(input_, index_);
  return index_ < input_.size();
}

ScanStatus Scanner::read_string(std::string& out) {
  // No room is reserved ahead, which would cost a second scan of the string:
  // documents and keys are read into buffers reused from string to string.
  out.clear();
  for (;;) {
    std::size_t run_start = index_;
    bool stopped = find_string_stop();
    out.append(input_.substr(run_start, index_ - run_start));
    if (!stopped) return std::unexpected(error_here(kEofInString));
    char c = input_[index_++];
    if (c == '"') return {};
    if (c != '\\') return std::unexpected(error_here(kControlInString));
    if (auto status = read_escape(out); !status) return status;
  }
}

void Scanner::decode_checked(std::string& out) {
  out.clear();
  out.reserve(input_.size());
  for (;;) {
    std::size_t run_start = index_;
    bool stopped = find_string_stop();
    out.append(input_.substr(run_start, index_ - run_start));
    if (!stopped) return;
    ++index_;  // a backslash: nothing else stops a checked string
    (void)read_escape(out);
  }
}

ScanStatus Scanner::skip_string() {
  for (;;) {
    if (!find_string_stop()) return std::unexpected(error_here(kEofInString));
    char c = input_[index_];
    // A raw control byte is reported before it is passed.
    if (c != '"' && c != '\\') return std::unexpected(error_here(kControlInString));
    ++index_;
    if (c == '"') return {};
    if (index_ == input_.size()) return std::unexpected(error_here(kEofInString));
    char letter = input_[index_++];
    if (letter == 'u') {
      // Only the form counts here: the digits are not checked for surrogates.
      if (auto digits = read_hex4(); !digits) return std::unexpected(digits.error());
    } else if (kEscapeLetters.find(letter) == std::string_view::npos) {
      return std::unexpected(error_here(kInvalidEscape));
    }
  }
}

ScanStatus Scanner::read_escape(std::string& out) {
  if (index_ == input_.size()) return std::unexpected(error_here(kEofInString));
  char letter = input_[index_++];
  if (letter == 'u') return read_unicode_escape(out);
  std::size_t which = kEscapeLetters.find(letter);
  if (which == std::string_view::npos) return std::unexpected(error_here(kInvalidEscape));
  out.push_back(kEscapedCharacters[which]);
  return {};
}

ScanStatus Scanner::read_unicode_escape(std::string& out) {
  auto first = read_hex4();
  if (!first) return std::unexpected(first.error());
  if (is_low_surrogate(*first)) return std::unexpected(error_here(kLoneSurrogate));
  if (!is_high_surrogate(*first)) {
    append_utf8(out, *first);
    return {};
  }
  // A high surrogate must be followed at once by a \u escape of a low one.
  for (char expected : {'\\', 'u'}) {
    if (index_ == input_.size()) return std::unexpected(error_here(kEofInString));
    if (input_[index_++] != expected) return std::unexpected(error_here(kUnpairedHigh));
  }
  auto second = read_hex4();
  if (!second) return std::unexpected(second.error());
  if (!is_low_surrogate(*second)) return std::unexpected(error_here(kLoneSurrogate));
  append_utf8(out, 0x10000 + ((*first - 0xD800) << 10) + (*second - 0xDC00));
  return {};
}

ScanResult<unsigned> Scanner::read_hex4() {
  if (input_.size() - index_ < 4) {
    index_ = input_.size();
    return std::unexpected(error_here(kEofInString));
  }
  // All four bytes are taken before they are checked.
  std::string_view digits = input_.substr(index_, 4);
  index_ += 4;
  unsigned value = 0;
  for (char c : digits) {
    int digit = hex_digit_value(c);
    if (digit < 0) return std::unexpected(error_here(kInvalidEscape));
    value = value * 16 + static_cast<unsigned>(digit);
  }
  return value;
}

ScanStatus Scanner::expect_word(std::string_view rest) {
  for (char expected : rest) {
    if (index_ == input_.size()) return std::unexpected(error_here("EOF while parsing a value"));
    if (input_[index_++] != expected) return std::unexpected(error_here("expected ident"));
  }
  return {};
}

ScanStatus Scanner::expect_colon() {
  auto next = peek_past_whitespace();
  if (!next) return std::unexpected(error_after_next("EOF while parsing an object"));
  if (*next != ':') return std::unexpected(error_after_next("expected `:`"));
  advance();
  return {};
}

}  // namespace zav
