#include "facts/legacy/legacy_number.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace zav {

namespace {

constexpr std::string_view kInvalidNumber = "invalid number";
constexpr std::string_view kOutOfRange = "number out of range";
constexpr std::string_view kEofInValue = "EOF while parsing a value";

bool is_digit(std::optional<unsigned char> c) {
  return c && *c >= '0' && *c <= '9';
}
bool is_exponent_mark(std::optional<unsigned char> c) {
  return c && (*c == 'e' || *c == 'E');
}

// True when `value * 10 + digit` would pass `max`.
template <typename T>
bool would_overflow(T value, T digit, T max) {
  return value >= max / 10 && (value > max / 10 || digit > max % 10);
}

// Passes over the digits at the scanner.
void skip_digits(Scanner& scanner) {
  while (is_digit(scanner.peek())) scanner.advance();
}

// The next byte, consumed; NUL (not consumed) at the end.
unsigned char next_or_nul(Scanner& scanner) {
  auto c = scanner.peek();
  if (!c) return 0;
  scanner.advance();
  return *c;
}

ScanStatus skip_exponent(Scanner& scanner) {
  scanner.advance();
  if (auto sign = scanner.peek(); sign && (*sign == '+' || *sign == '-')) scanner.advance();
  unsigned char first = next_or_nul(scanner);
  if (first < '0' || first > '9') return std::unexpected(scanner.error_here(kInvalidNumber));
  skip_digits(scanner);
  return {};
}

ScanStatus skip_fraction(Scanner& scanner) {
  scanner.advance();
  if (!is_digit(scanner.peek())) return std::unexpected(scanner.error_after_next(kInvalidNumber));
  skip_digits(scanner);
  if (is_exponent_mark(scanner.peek())) return skip_exponent(scanner);
  return {};
}

const std::array<double, 309>& powers_of_ten() {
  static const std::array<double, 309> table = [] {
    std::array<double, 309> powers{};
    for (std::size_t i = 0; i < powers.size(); ++i) {
      std::string text = "1e" + std::to_string(i);
      std::from_chars(text.data(), text.data() + text.size(), powers[i]);
    }
    return powers;
  }();
  return table;
}

// A number read for a type error. Its digits become an integer significand
// and a decimal exponent, and the value is significand * 10^exponent done in
// floating point, one multiplication or division by a power of ten.
class NumberReader {
 public:
  explicit NumberReader(Scanner& scanner) : scanner_(scanner) {}

  ScanResult<std::string> read() {
    if (scanner_.peek() == '-') {
      positive_ = false;
      scanner_.advance();
    }
    return read_integer_part();
  }

 private:
  static constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();

  ScanResult<std::string> read_integer_part() {
    auto first = scanner_.peek();
    if (!first) return std::unexpected(scanner_.error_here(kEofInValue));
    scanner_.advance();
    if (*first == '0') {
      if (is_digit(scanner_.peek())) {
        return std::unexpected(scanner_.error_after_next(kInvalidNumber));
      }
      return after_integer(0);
    }
    if (*first < '1' || *first > '9') return std::unexpected(scanner_.error_here(kInvalidNumber));
    std::uint64_t significand = *first - '0';
    while (is_digit(scanner_.peek())) {
      std::uint64_t digit = *scanner_.peek() - '0';
      if (would_overflow(significand, digit, kMax)) return long_integer(significand);
      scanner_.advance();
      significand = significand * 10 + digit;
    }
    return after_integer(significand);
  }

  ScanResult<std::string> after_integer(std::uint64_t significand) {
    auto next = scanner_.peek();
    if (next == '.') return as_float(fraction(significand, 0));
    if (is_exponent_mark(next)) return as_float(exponent(significand, 0));
    if (positive_) return "integer `" + std::to_string(significand) + "`";
    // Negative zero and magnitudes beyond the signed range are floating point.
    constexpr std::uint64_t kMinMagnitude = std::uint64_t{1} << 63;
    if (significand == 0 || significand > kMinMagnitude) {
      return as_float(-static_cast<double>(significand));
    }
    return "integer `-" + std::to_string(significand) + "`";
  }

  // More digits than 64 bits hold: the rest only raise the exponent.
  ScanResult<std::string> long_integer(std::uint64_t significand) {
    std::int64_t extra = 0;
    while (is_digit(scanner_.peek())) {
      scanner_.advance();
      ++extra;
    }
    auto next = scanner_.peek();
    if (next == '.') return as_float(fraction(significand, extra));
    if (is_exponent_mark(next)) return as_float(exponent(significand, extra));
    return as_float(from_parts(significand, extra));
  }

  ScanResult<double> fraction(std::uint64_t significand, std::int64_t exponent_before) {
    scanner_.advance();
    std::int64_t fraction_digits = 0;
    while (is_digit(scanner_.peek())) {
      std::uint64_t digit = *scanner_.peek() - '0';
      if (would_overflow(significand, digit, kMax)) {
        // Digits that do not fit are dropped.
        skip_digits(scanner_);
        return after_fraction(significand, exponent_before - fraction_digits);
      }
      scanner_.advance();
      significand = significand * 10 + digit;
      ++fraction_digits;
    }
    if (fraction_digits == 0) {
      return std::unexpected(
          scanner_.error_after_next(scanner_.peek() ? kInvalidNumber : kEofInValue));
    }
    return after_fraction(significand, exponent_before - fraction_digits);
  }

  ScanResult<double> after_fraction(std::uint64_t significand, std::int64_t exponent_so_far) {
    if (is_exponent_mark(scanner_.peek())) return exponent(significand, exponent_so_far);
    return from_parts(significand, exponent_so_far);
  }

  ScanResult<double> exponent(std::uint64_t significand, std::int64_t starting) {
    scanner_.advance();
    bool positive_exponent = true;
    if (auto sign = scanner_.peek(); sign == '+' || sign == '-') {
      positive_exponent = *sign == '+';
      scanner_.advance();
    }
    auto first = scanner_.peek();
    if (!first) return std::unexpected(scanner_.error_here(kEofInValue));
    scanner_.advance();
    if (*first < '0' || *first > '9') return std::unexpected(scanner_.error_here(kInvalidNumber));
    constexpr std::int32_t kExpMax = std::numeric_limits<std::int32_t>::max();
    std::int32_t value = *first - '0';
    while (is_digit(scanner_.peek())) {
      std::int32_t digit = *scanner_.peek() - '0';
      scanner_.advance();
      if (would_overflow(value, digit, kExpMax)) {
        // An exponent beyond 32 bits: too large, or a zero.
        if (significand != 0 && positive_exponent) {
          return std::unexpected(scanner_.error_here(kOutOfRange));
        }
        skip_digits(scanner_);
        return positive_ ? 0.0 : -0.0;
      }
      value = value * 10 + digit;
    }
    return from_parts(significand, positive_exponent ? starting + value : starting - value);
  }

  ScanResult<double> from_parts(std::uint64_t significand, std::int64_t exponent) {
    // The exponent is kept within 32 bits, saturating.
    exponent = std::clamp<std::int64_t>(exponent, std::numeric_limits<std::int32_t>::min(),
                                        std::numeric_limits<std::int32_t>::max());
    const auto& powers = powers_of_ten();
    double value = static_cast<double>(significand);
    for (;;) {
      std::uint64_t magnitude = static_cast<std::uint64_t>(exponent < 0 ? -exponent : exponent);
      if (magnitude < powers.size()) {
        if (exponent >= 0) {
          value *= powers[magnitude];
          if (std::isinf(value)) return std::unexpected(scanner_.error_here(kOutOfRange));
        } else {
          value /= powers[magnitude];
        }
        break;
      }
      if (value == 0) break;
      if (exponent >= 0) return std::unexpected(scanner_.error_here(kOutOfRange));
      value /= 1e308;
      exponent += 308;
    }
    return positive_ ? value : -value;
  }

  ScanResult<std::string> as_float(ScanResult<double> value) {
    if (!value) return std::unexpected(value.error());
    return as_float(*value);
  }
  static std::string as_float(double value) { return "floating point `" + float_text(value) + "`"; }

  Scanner& scanner_;
  bool positive_ = true;
};

}  // namespace

ScanStatus skip_number(Scanner& scanner) {
  if (scanner.peek() == '-') scanner.advance();
  unsigned char first = next_or_nul(scanner);
  if (first == '0') {
    if (is_digit(scanner.peek())) return std::unexpected(scanner.error_after_next(kInvalidNumber));
  } else if (first >= '1' && first <= '9') {
    skip_digits(scanner);
  } else {
    return std::unexpected(scanner.error_here(kInvalidNumber));
  }
  auto next = scanner.peek();
  if (next == '.') return skip_fraction(scanner);
  if (is_exponent_mark(next)) return skip_exponent(scanner);
  return {};
}

ScanResult<std::string> describe_number(Scanner& scanner) {
  return NumberReader(scanner).read();
}

std::string float_text(double value) {
  if (value == 0) return std::signbit(value) ? "-0.0" : "0.0";
  // The shortest round-trip digits, in the form d.ddde±N.
  char buffer[64];
  auto end =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific).ptr;
  std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
  std::string out;
  if (text.front() == '-') {
    out.push_back('-');
    text.remove_prefix(1);
  }
  std::size_t mark = text.find('e');
  std::string digits;
  for (char c : text.substr(0, mark)) {
    if (c != '.') digits.push_back(c);
  }
  int decimal_exponent = 0;
  std::string_view exponent_text = text.substr(mark + 1);
  if (exponent_text.front() == '+') exponent_text.remove_prefix(1);
  std::from_chars(exponent_text.data(), exponent_text.data() + exponent_text.size(),
                  decimal_exponent);
  // The value is 0.DIGITS * 10^point.
  int length = static_cast<int>(digits.size());
  int point = decimal_exponent + 1;
  if (point >= length && point <= 16) {
    out += digits + std::string(static_cast<std::size_t>(point - length), '0') + ".0";
  } else if (point > 0 && point <= 16) {
    out += digits.substr(0, static_cast<std::size_t>(point)) + "." +
           digits.substr(static_cast<std::size_t>(point));
  } else if (point > -5 && point <= 0) {
    out += "0." + std::string(static_cast<std::size_t>(-point), '0') + digits;
  } else {
    out += digits.substr(0, 1);
    if (length > 1) out += "." + digits.substr(1);
    out += "e" + std::to_string(point - 1);
  }
  return out;
}

}  // namespace zav
