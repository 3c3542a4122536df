#include "engine/reserved/log_dates.hpp"

#include <chrono>

#include "base/text.hpp"

namespace zav {
namespace {

// Reads a field that must be wholly digits after its leading white space (and,
// when `signed_field`, an optional sign); `max_digits` bounds unsigned fields.
std::optional<long> read_field(std::string_view field, bool signed_field, std::size_t max_digits) {
  field = trim_white_space_start(field);
  bool negative = false;
  if (signed_field && !field.empty() && (field[0] == '+' || field[0] == '-')) {
    negative = field[0] == '-';
    field.remove_prefix(1);
    max_digits = field.size();
  }
  if (field.empty() || field.size() > max_digits) return std::nullopt;
  long value = 0;
  for (char c : field) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

}  // namespace

bool has_date_shape(std::string_view text) {
  return text.size() == 10 && text[4] == '-' && text[7] == '-';
}

std::optional<CalendarDate> parse_log_date(std::string_view text) {
  if (!has_date_shape(text)) return std::nullopt;
  auto year = read_field(text.substr(0, 4), true, 4);
  auto month = read_field(text.substr(5, 2), false, 2);
  auto day = read_field(text.substr(8, 2), false, 2);
  if (!year || !month || !day) return std::nullopt;
  std::chrono::year_month_day date{std::chrono::year(static_cast<int>(*year)),
                                   std::chrono::month(static_cast<unsigned>(*month)),
                                   std::chrono::day(static_cast<unsigned>(*day))};
  if (!date.ok()) return std::nullopt;
  return CalendarDate{*year, static_cast<int>(*month), static_cast<int>(*day)};
}

}  // namespace zav
