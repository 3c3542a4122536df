// The date shape and calendar-date rule of log.md headings.
#include <gtest/gtest.h>

#include "engine/reserved/log_dates.hpp"

namespace zav {
namespace {

TEST(LogDates, ShapeAndCalendar) {
  struct Case {
    std::string text;
    bool shape;
    std::optional<CalendarDate> date;
  };
  const Case cases[] = {
      {"2024-03-01", true, CalendarDate{2024, 3, 1}},
      {"2024-02-29", true, CalendarDate{2024, 2, 29}},
      {"2023-02-29", true, std::nullopt},
      {"1900-02-29", true, std::nullopt},
      {"2000-02-29", true, CalendarDate{2000, 2, 29}},
      {"0000-02-29", true, CalendarDate{0, 2, 29}},  // year 0 exists and is a leap year
      {"-001-02-29", true, std::nullopt},
      {"-100-02-29", true, std::nullopt},
      {"-400-02-29", true, CalendarDate{-400, 2, 29}},
      {"+202-01-01", true, CalendarDate{202, 1, 1}},
      {"-000-01-01", true, CalendarDate{0, 1, 1}},
      {"+-12-01-01", true, std::nullopt},
      {"2024- 1- 5", true, CalendarDate{2024, 1, 5}},
      {"\xC2\xA0"
       "12-01-01",
       true, CalendarDate{12, 1, 1}},  // U+00A0 skipped
      {"\xE3\x80\x80"
       "1-01-01",
       true, CalendarDate{1, 1, 1}},  // U+3000 skipped
      {"2024-13-01", true, std::nullopt},
      {"2024-00-10", true, std::nullopt},
      {"2024-01-00", true, std::nullopt},
      {"2024-04-31", true, std::nullopt},
      {"2024-01-0a", true, std::nullopt},
      {"2024-1 -05", true, std::nullopt},  // a space after a digit
      {"2024-+1-05", true, std::nullopt},  // no sign in month or day
      {"2024-1-5", false, std::nullopt},
      {"Notes", false, std::nullopt},
      {"2024-01-1 x", false, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(has_date_shape(c.text), c.shape) << c.text;
    EXPECT_EQ(parse_log_date(c.text), c.date) << c.text;
  }
}

TEST(LogDates, CompareChronologically) {
  EXPECT_LT((CalendarDate{2024, 1, 15}), (CalendarDate{2024, 3, 1}));
  EXPECT_LT((CalendarDate{-1, 12, 31}), (CalendarDate{0, 1, 1}));
  EXPECT_EQ((CalendarDate{2024, 3, 1}), (CalendarDate{2024, 3, 1}));
}

}  // namespace
}  // namespace zav
