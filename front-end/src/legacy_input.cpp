#include "legacy_input.hpp"

#include <optional>

#include "legacy_scan.hpp"
#include "legacy_value.hpp"

namespace zav {

namespace {

constexpr std::string_view kDocumentsKey = "documents";

// The next element of an array whose "[" has been read: true at the
// element's first byte, false at the closing "]" (not consumed).
ScanResult<bool> next_element(Scanner& scanner, bool& first) {
  auto next = scanner.peek_past_whitespace();
  if (next == ']') return false;
  if (next == ',' && !first) {
    scanner.advance();
    next = scanner.peek_past_whitespace();
  } else if (next) {
    if (!first) return std::unexpected(scanner.error_after_next("expected `,` or `]`"));
    first = false;
  } else {
    return std::unexpected(scanner.error_after_next("EOF while parsing a list"));
  }
  if (next == ']') return std::unexpected(scanner.error_after_next("trailing comma"));
  if (!next) return std::unexpected(scanner.error_after_next("EOF while parsing a value"));
  return true;
}

// The next member of an object whose "{" has been read: true once its key
// has been read into `key`, false at the closing "}" (not consumed).
ScanResult<bool> next_key(Scanner& scanner, bool& first, std::string& key) {
  auto next = scanner.peek_past_whitespace();
  if (next == '}') return false;
  if (next == ',' && !first) {
    scanner.advance();
    next = scanner.peek_past_whitespace();
  } else if (next) {
    if (!first) return std::unexpected(scanner.error_after_next("expected `,` or `}`"));
    first = false;
  } else {
    return std::unexpected(scanner.error_after_next("EOF while parsing an object"));
  }
  if (next == '}') return std::unexpected(scanner.error_after_next("trailing comma"));
  if (!next) return std::unexpected(scanner.error_after_next("EOF while parsing a value"));
  if (*next != '"') return std::unexpected(scanner.error_after_next("key must be a string"));
  scanner.advance();
  if (auto status = scanner.read_string(key); !status) return std::unexpected(status.error());
  return true;
}

// The closing bracket of the outer value, after its last member or element.
// Errors that are not about the syntax point at the place this check reaches,
// so it also runs after them.
ScanStatus close_outer(Scanner& scanner, char bracket) {
  bool is_list = bracket == ']';
  auto next = scanner.peek_past_whitespace();
  if (next == bracket) {
    scanner.advance();
    return {};
  }
  if (!next) {
    return std::unexpected(scanner.error_after_next(is_list ? "EOF while parsing a list"
                                                            : "EOF while parsing an object"));
  }
  if (*next == ',' && is_list) {
    scanner.advance();
    next = scanner.peek_past_whitespace();
    return std::unexpected(
        scanner.error_after_next(next == ']' ? "trailing comma" : "trailing characters"));
  }
  return std::unexpected(
      scanner.error_after_next(*next == ',' ? "trailing comma" : "trailing characters"));
}

ScanError error_after_close(Scanner& scanner, char bracket, std::string_view message) {
  (void)close_outer(scanner, bracket);
  return scanner.error_here(message);
}

// The documents value: an array of strings.
ScanResult<std::vector<std::string>> read_documents(Scanner& scanner) {
  auto next = scanner.peek_past_whitespace();
  if (!next) return std::unexpected(scanner.error_after_next("EOF while parsing a value"));
  if (*next != '[') return std::unexpected(invalid_type(scanner, "a sequence"));
  scanner.advance();
  std::vector<std::string> documents;
  bool first = true;
  for (;;) {
    auto more = next_element(scanner, first);
    if (!more) return std::unexpected(more.error());
    if (!*more) break;
    if (scanner.peek() != '"') return std::unexpected(invalid_type(scanner, "a string"));
    scanner.advance();
    std::string& text = documents.emplace_back();
    if (auto status = scanner.read_string(text); !status) return std::unexpected(status.error());
  }
  scanner.advance();  // the "]" that next_element stopped at
  return documents;
}

// {"documents": [...], other members...}, after the "{".
ScanResult<Legacy> read_object_form(Scanner& scanner) {
  std::optional<std::vector<std::string>> documents;
  std::string key;
  bool first = true;
  for (;;) {
    auto more = next_key(scanner, first, key);
    if (!more) return std::unexpected(more.error());
    if (!*more) break;
    if (key != kDocumentsKey) {
      if (auto status = scanner.expect_colon(); !status) return std::unexpected(status.error());
      if (auto status = skip_value(scanner); !status) return std::unexpected(status.error());
      continue;
    }
    // A second "documents" fails before its value is looked at.
    if (documents) {
      return std::unexpected(error_after_close(scanner, '}', "duplicate field `documents`"));
    }
    if (auto status = scanner.expect_colon(); !status) return std::unexpected(status.error());
    auto value = read_documents(scanner);
    if (!value) return std::unexpected(value.error());
    documents = std::move(*value);
  }
  if (!documents) {
    return std::unexpected(error_after_close(scanner, '}', "missing field `documents`"));
  }
  if (auto status = close_outer(scanner, '}'); !status) return std::unexpected(status.error());
  return Legacy{std::move(*documents)};
}

// [[...]], after the first "[".
ScanResult<Legacy> read_array_form(Scanner& scanner) {
  bool first = true;
  auto more = next_element(scanner, first);
  if (!more) return std::unexpected(more.error());
  if (!*more) {
    return std::unexpected(
        error_after_close(scanner, ']', "invalid length 0, expected struct Legacy with 1 element"));
  }
  auto documents = read_documents(scanner);
  if (!documents) return std::unexpected(documents.error());
  if (auto status = close_outer(scanner, ']'); !status) return std::unexpected(status.error());
  return Legacy{std::move(*documents)};
}

ScanResult<Legacy> read_legacy(Scanner& scanner) {
  auto next = scanner.peek_past_whitespace();
  if (!next) return std::unexpected(scanner.error_after_next("EOF while parsing a value"));
  if (*next == '{') {
    scanner.advance();
    return read_object_form(scanner);
  }
  if (*next == '[') {
    scanner.advance();
    return read_array_form(scanner);
  }
  return std::unexpected(invalid_type(scanner, "struct Legacy"));
}

}  // namespace

std::expected<Legacy, std::string> parse_legacy(std::string_view input) {
  try {
    Scanner scanner(input);
    auto legacy = read_legacy(scanner);
    if (legacy && scanner.peek_past_whitespace()) {
      legacy = std::unexpected(scanner.error_after_next("trailing characters"));
    }
    if (!legacy) return std::unexpected(describe_error(input, legacy.error()));
    return std::move(*legacy);
  } catch (const std::bad_alloc&) {
    return std::unexpected(std::string("out of memory while reading the facts input"));
  }
}

}  // namespace zav
