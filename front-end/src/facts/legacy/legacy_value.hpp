// Values of the facts input that the reader does not keep: skipped members,
// and values of the wrong kind, which a type error names.
#pragma once

#include <string_view>

#include "facts/legacy/legacy_scan.hpp"

namespace zav {

// Passes over one JSON value of any kind and depth (whitespace before it
// included). Open brackets are kept on an explicit stack, so nesting depth
// costs memory only.
ScanStatus skip_value(Scanner& scanner);

// At the first byte of a value that is not of the `expected` kind: reads it
// and yields "invalid type: X, expected <expected>", pointing just after a
// scalar and just before an array or object. Fails with the syntax error
// instead when the value is malformed, or "expected value" when no value
// begins there.
ScanError invalid_type(Scanner& scanner, std::string_view expected);

}  // namespace zav
