// Numbers of the facts input. A skipped number is checked for its form only;
// a number that a type error names is read into the value the message shows.
#pragma once

#include <string>

#include "facts/legacy/legacy_scan.hpp"

namespace zav {

// At "-" or a digit: passes over one number, checking only its grammar.
ScanStatus skip_number(Scanner& scanner);

// At "-" or a digit: reads one number and names it for a type error:
// "integer `N`" when it fits 64 bits (unsigned, or signed when negative),
// else "floating point `X`". Too large a value fails "number out of range".
ScanResult<std::string> describe_number(Scanner& scanner);

// The shortest text that reads back as `value`: plain digits with a decimal
// point when the decimal exponent lies in -5..15, else d.ddde±N.
std::string float_text(double value);

}  // namespace zav
