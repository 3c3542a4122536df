// The byte-level part of the facts input reader: a cursor over the input with
// whitespace skipping, strings, literal words and error points.
#pragma once

#include <cstddef>
#include <expected>
#include <optional>
#include <string>
#include <string_view>

namespace zav {

// One reader error: its message and the byte offset (error point) it refers
// to.
struct ScanError {
  std::string message;
  std::size_t point = 0;
};

template <typename T>
using ScanResult = std::expected<T, ScanError>;
using ScanStatus = ScanResult<void>;

// "<message> at line L column C": L is 1 plus the line feeds before the line
// that holds the point, C the bytes from that line's start to the point.
std::string describe_error(std::string_view input, const ScanError& error);

class Scanner {
 public:
  explicit Scanner(std::string_view input) : input_(input) {}

  std::size_t offset() const { return index_; }
  std::optional<unsigned char> peek() const {
    if (index_ == input_.size()) return std::nullopt;
    return static_cast<unsigned char>(input_[index_]);
  }
  void advance() { ++index_; }

  // Skips space, tab, line feed and carriage return; then peeks.
  std::optional<unsigned char> peek_past_whitespace();

  // An error whose point is the current offset.
  ScanError error_here(std::string_view message) const;
  // An error whose point lies just after the next byte (the end at the end).
  ScanError error_after_next(std::string_view message) const;

  // After an opening quote: reads the string, decoding its escapes into `out`
  // (cleared first). Surrogate escapes must pair up.
  ScanStatus read_string(std::string& out);
  // The whole input as the inside of a string that read_string has accepted:
  // decodes it into `out` (cleared first).
  void decode_checked(std::string& out);
  // After an opening quote: passes over the string, checking only its form.
  ScanStatus skip_string();
  // After the first letter of null, true or false: the rest of the word.
  ScanStatus expect_word(std::string_view rest);
  // After a key: whitespace and ":".
  ScanStatus expect_colon();

 private:
  // Moves to the next quote, backslash or control byte; false at the end.
  bool find_string_stop();
  ScanStatus read_escape(std::string& out);
  ScanStatus read_unicode_escape(std::string& out);
  ScanResult<unsigned> read_hex4();

  std::string_view input_;
  std::size_t index_ = 0;
};

}  // namespace zav
