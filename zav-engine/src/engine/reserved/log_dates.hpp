// Dates of log.md headings: the YYYY-MM-DD shape and the calendar-date rule.
#pragma once

#include <compare>
#include <optional>
#include <string_view>

namespace zav {

struct CalendarDate {
  long year;
  int month;
  int day;
  auto operator<=>(const CalendarDate&) const = default;
};

// Exactly 10 bytes with "-" as the 5th and 8th.
bool has_date_shape(std::string_view text);

// A text with the date shape as a day of the proleptic Gregorian calendar.
// Each field may begin with white space; the year is 1 to 4 digits or a sign
// and digits, month and day 1 or 2 digits.
std::optional<CalendarDate> parse_log_date(std::string_view text);

}  // namespace zav
