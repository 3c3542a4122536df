#include "facts/legacy/legacy_value.hpp"

#include <string>
#include <vector>

#include "facts/legacy/legacy_number.hpp"
#include "facts/legacy/legacy_quote.hpp"

namespace zav {

namespace {

constexpr std::string_view kExpectedValue = "expected value";

// At the first byte of a scalar: passes over it.
ScanStatus skip_scalar(Scanner& scanner, unsigned char first) {
  switch (first) {
    case 'n':
      scanner.advance();
      return scanner.expect_word("ull");
    case 't':
      scanner.advance();
      return scanner.expect_word("rue");
    case 'f':
      scanner.advance();
      return scanner.expect_word("alse");
    case '"':
      scanner.advance();
      return scanner.skip_string();
    default:
      if (first == '-' || (first >= '0' && first <= '9')) return skip_number(scanner);
      return std::unexpected(scanner.error_after_next(kExpectedValue));
  }
}

// After a value or an open bracket inside `open` (the innermost open
// bracket last): closes brackets until a "," asks for the next value.
// Yields false when the outermost bracket has closed.
ScanResult<bool> close_brackets(Scanner& scanner, std::vector<char>& open, bool after_value) {
  for (;;) {
    char innermost = open.back();
    auto next = scanner.peek_past_whitespace();
    bool is_list = innermost == '[';
    if (!next) {
      return std::unexpected(scanner.error_after_next(is_list ? "EOF while parsing a list"
                                                              : "EOF while parsing an object"));
    }
    if (*next == ',' && after_value) {
      scanner.advance();
      return true;
    }
    if (*next != (is_list ? ']' : '}')) {
      if (!after_value) return true;  // the first value of a bracket
      return std::unexpected(
          scanner.error_after_next(is_list ? "expected `,` or `]`" : "expected `,` or `}`"));
    }
    scanner.advance();
    open.pop_back();
    if (open.empty()) return false;
    after_value = true;
  }
}

// Inside an object, where a member is due: its key and the colon.
ScanStatus skip_member_key(Scanner& scanner) {
  auto next = scanner.peek_past_whitespace();
  if (!next) return std::unexpected(scanner.error_after_next("EOF while parsing an object"));
  if (*next != '"') return std::unexpected(scanner.error_after_next("key must be a string"));
  scanner.advance();
  if (auto status = scanner.skip_string(); !status) return status;
  return scanner.expect_colon();
}

}  // namespace

ScanStatus skip_value(Scanner& scanner) {
  std::vector<char> open;
  for (;;) {
    auto next = scanner.peek_past_whitespace();
    if (!next) return std::unexpected(scanner.error_after_next("EOF while parsing a value"));
    bool opened = *next == '[' || *next == '{';
    if (opened) {
      scanner.advance();
      open.push_back(static_cast<char>(*next));
    } else {
      if (auto status = skip_scalar(scanner, *next); !status) return status;
      if (open.empty()) return {};
    }
    auto more = close_brackets(scanner, open, !opened);
    if (!more) return std::unexpected(more.error());
    if (!*more) return {};
    if (open.back() == '{') {
      if (auto status = skip_member_key(scanner); !status) return status;
    }
  }
}

ScanError invalid_type(Scanner& scanner, std::string_view expected) {
  auto first = scanner.peek();
  std::string found;
  switch (first.value_or(0)) {
    case 'n':
      scanner.advance();
      if (auto status = scanner.expect_word("ull"); !status) return status.error();
      found = "null";
      break;
    case 't':
      scanner.advance();
      if (auto status = scanner.expect_word("rue"); !status) return status.error();
      found = "boolean `true`";
      break;
    case 'f':
      scanner.advance();
      if (auto status = scanner.expect_word("alse"); !status) return status.error();
      found = "boolean `false`";
      break;
    case '"': {
      scanner.advance();
      std::string text;
      if (auto status = scanner.read_string(text); !status) return status.error();
      found = "string " + quote_for_message(text);
      break;
    }
    case '[':
      found = "sequence";
      break;
    case '{':
      found = "map";
      break;
    default:
      if (first == '-' || (first >= '0' && first <= '9')) {
        auto number = describe_number(scanner);
        if (!number) return number.error();
        found = std::move(*number);
        break;
      }
      return scanner.error_after_next(kExpectedValue);
  }
  std::string message = "invalid type: " + found + ", expected ";
  message += expected;
  return scanner.error_here(message);
}

}  // namespace zav
