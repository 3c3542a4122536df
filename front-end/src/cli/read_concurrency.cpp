#include "cli/read_concurrency.hpp"

#include <limits>
#include <string>

namespace zav {
namespace {

constexpr std::string_view EMPTY_NUMBER = "cannot parse integer from empty string";
constexpr std::string_view INVALID_DIGIT = "invalid digit found in string";
constexpr std::string_view NUMBER_TOO_LARGE = "number too large to fit in target type";

}  // namespace

std::string_view default_read_concurrency_text() {
  // A function-local static is initialised exactly once, also under
  // concurrent first calls.
  static const std::string text = std::to_string(DEFAULT_READ_CONCURRENCY);
  return text;
}

std::expected<std::uint64_t, std::string_view> parse_read_concurrency(std::string_view text) {
  if (text.empty()) return std::unexpected(EMPTY_NUMBER);
  if (text == "+" || text == "-") return std::unexpected(INVALID_DIGIT);
  if (text.front() == '+') text.remove_prefix(1);
  constexpr std::uint64_t max = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t value = 0;
  // Left to right: the first problem met decides.
  for (char c : text) {
    if (c < '0' || c > '9') return std::unexpected(INVALID_DIGIT);
    auto digit = static_cast<std::uint64_t>(c - '0');
    if (value > (max - digit) / 10) return std::unexpected(NUMBER_TOO_LARGE);
    value = value * 10 + digit;
  }
  return value;
}

}  // namespace zav
