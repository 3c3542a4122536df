#include "facts/legacy/legacy_input.hpp"

#include <new>
#include <optional>

#include "facts/legacy/legacy_scan.hpp"
#include "facts/legacy/legacy_value.hpp"

namespace zav {

namespace {

constexpr std::string_view kDocumentsKey = "documents";

// The brackets of the outer value and of the documents array, with the
// messages that name them.
struct Brackets {
  char close;
  std::string_view expected_separator;
  std::string_view end_inside;
};
constexpr Brackets kList{']', "expected `,` or `]`", "EOF while parsing a list"};
constexpr Brackets kObject{'}', "expected `,` or `}`", "EOF while parsing an object"};

// The next item of an array or object whose opening bracket has been read:
// true at the item's first byte, false at the closing bracket (not consumed).
ScanResult<bool> next_item(Scanner& scanner, bool& first, const Brackets& brackets) {
  auto next = scanner.peek_past_whitespace();
  if (next == brackets.close) return false;
  if (next == ',' && !first) {
    scanner.advance();
    next = scanner.peek_past_whitespace();
  } else if (next) {
    if (!first) return std::unexpected(scanner.error_after_next(brackets.expected_separator));
    first = false;
  } else {
    return std::unexpected(scanner.error_after_next(brackets.end_inside));
  }
  if (next == brackets.close) return std::unexpected(scanner.error_after_next("trailing comma"));
  if (!next) return std::unexpected(scanner.error_after_next("EOF while parsing a value"));
  return true;
}

// The next member of an object: true once its key has been read into `key`.
ScanResult<bool> next_key(Scanner& scanner, bool& first, std::string& key) {
  auto more = next_item(scanner, first, kObject);
  if (!more || !*more) return more;
  if (scanner.peek() != '"') {
    return std::unexpected(scanner.error_after_next("key must be a string"));
  }
  scanner.advance();
  if (auto status = scanner.read_string(key); !status) return std::unexpected(status.error());
  return true;
}

// The closing bracket of the outer value, after its last member or element.
// Errors that are not about the syntax point at the place this check reaches,
// so it also runs after them.
ScanStatus close_outer(Scanner& scanner, const Brackets& brackets) {
  auto next = scanner.peek_past_whitespace();
  if (next == brackets.close) {
    scanner.advance();
    return {};
  }
  if (!next) return std::unexpected(scanner.error_after_next(brackets.end_inside));
  if (*next != ',') return std::unexpected(scanner.error_after_next("trailing characters"));
  // After the one element of an array, a "," is taken and what follows it
  // decides; in an object the "," itself is the fault.
  if (brackets.close == ']') {
    scanner.advance();
    next = scanner.peek_past_whitespace();
    if (next != ']') return std::unexpected(scanner.error_after_next("trailing characters"));
  }
  return std::unexpected(scanner.error_after_next("trailing comma"));
}

ScanError error_after_close(Scanner& scanner, const Brackets& brackets, std::string_view message) {
  (void)close_outer(scanner, brackets);
  return scanner.error_here(message);
}

// The documents value: an array of strings, each checked by decoding it into
// one reused buffer and kept as written.
ScanResult<std::vector<LegacyDocument>> read_documents(Scanner& scanner, std::string_view input) {
  auto next = scanner.peek_past_whitespace();
  if (!next) return std::unexpected(scanner.error_after_next("EOF while parsing a value"));
  if (*next != '[') return std::unexpected(invalid_type(scanner, "a sequence"));
  scanner.advance();
  std::vector<LegacyDocument> documents;
  std::string decoded;
  bool first = true;
  for (;;) {
    auto more = next_item(scanner, first, kList);
    if (!more) return std::unexpected(more.error());
    if (!*more) break;
    if (scanner.peek() != '"') return std::unexpected(invalid_type(scanner, "a string"));
    scanner.advance();
    std::size_t start = scanner.offset();
    if (auto status = scanner.read_string(decoded); !status) return std::unexpected(status.error());
    documents.push_back(LegacyDocument{input.substr(start, scanner.offset() - 1 - start)});
  }
  scanner.advance();  // the "]" that next_item stopped at
  return documents;
}

// {"documents": [...], other members...}, after the "{".
ScanResult<Legacy> read_object_form(Scanner& scanner, std::string_view input) {
  std::optional<std::vector<LegacyDocument>> documents;
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
      return std::unexpected(error_after_close(scanner, kObject, "duplicate field `documents`"));
    }
    if (auto status = scanner.expect_colon(); !status) return std::unexpected(status.error());
    auto value = read_documents(scanner, input);
    if (!value) return std::unexpected(value.error());
    documents = std::move(*value);
  }
  if (!documents) {
    return std::unexpected(error_after_close(scanner, kObject, "missing field `documents`"));
  }
  if (auto status = close_outer(scanner, kObject); !status) return std::unexpected(status.error());
  return Legacy{std::move(*documents)};
}

// [[...]], after the first "[".
ScanResult<Legacy> read_array_form(Scanner& scanner, std::string_view input) {
  bool first = true;
  auto more = next_item(scanner, first, kList);
  if (!more) return std::unexpected(more.error());
  if (!*more) {
    return std::unexpected(error_after_close(
        scanner, kList, "invalid length 0, expected struct Legacy with 1 element"));
  }
  auto documents = read_documents(scanner, input);
  if (!documents) return std::unexpected(documents.error());
  if (auto status = close_outer(scanner, kList); !status) return std::unexpected(status.error());
  return Legacy{std::move(*documents)};
}

ScanResult<Legacy> read_legacy(Scanner& scanner, std::string_view input) {
  auto next = scanner.peek_past_whitespace();
  if (!next) return std::unexpected(scanner.error_after_next("EOF while parsing a value"));
  if (*next == '{') {
    scanner.advance();
    return read_object_form(scanner, input);
  }
  if (*next == '[') {
    scanner.advance();
    return read_array_form(scanner, input);
  }
  return std::unexpected(invalid_type(scanner, "struct Legacy"));
}

}  // namespace

std::string LegacyDocument::text() const {
  std::string decoded;
  decode_into(decoded);
  return decoded;
}

void LegacyDocument::decode_into(std::string& out) const {
  Scanner(written).decode_checked(out);
}

std::expected<Legacy, std::string> parse_legacy(std::string_view input) {
  try {
    Scanner scanner(input);
    auto legacy = read_legacy(scanner, input);
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
