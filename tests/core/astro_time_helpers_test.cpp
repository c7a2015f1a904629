// Time and angle helpers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ctime>
#include <random>
#include <string>

#include "astro/time_helpers.h"

namespace kelvora {
namespace {

struct DayNumberRow {
  const char* name;
  int year, month, day;
  int expected;
};

// Reference day counts: 1950-01-01, 1970-01-01 and 2000-01-01 from the
// definition of the count; the others by counting days from those (1901 to
// 1950 is 49 years with 12 leap days).
TEST(DayNumber, ReferenceDates) {
  const DayNumberRow rows[] = {
      {"epoch_1950", 1950, 1, 1, 35735},   {"epoch_1970", 1970, 1, 1, 43040},
      {"j2000_day", 2000, 1, 1, 53997},    {"day_before_2000", 1999, 12, 31, 53996},
      {"leap_day_2000", 2000, 2, 29, 54056}, {"first_supported", 1901, 1, 1, 35735 - (49 * 365 + 12)},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(DayNumber(row.year, row.month, row.day), row.expected) << row.name;
  }
}

TEST(DayNumber, MonthEndsAdvanceByOne) {
  // Aug 31 -> Sep 1 uses the 275/9 term of September; Feb 28 -> Mar 1 skips
  // the leap day in 2000 (divisible by 400) and also in 2100, where the
  // count has no century rule (the reason the supported range stops at 2099).
  EXPECT_EQ(DayNumber(1999, 9, 1) - DayNumber(1999, 8, 31), 1);
  EXPECT_EQ(DayNumber(2000, 3, 1) - DayNumber(2000, 2, 28), 2);
  EXPECT_EQ(DayNumber(2001, 3, 1) - DayNumber(2001, 2, 28), 1);
  EXPECT_EQ(DayNumber(2100, 3, 1) - DayNumber(2100, 2, 28), 2);
  for (int month = 1; month <= 11; ++month) {
    const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    EXPECT_EQ(DayNumber(2001, month + 1, 1) - DayNumber(2001, month, 1), lengths[month - 1])
        << "month " << month;
  }
}

TEST(BreakDownTime, MatchesCLibraryAcrossSupportedRange) {
  // Independent reference: the C library's UTC break-down.
  std::mt19937_64 random(20240601);
  std::uniform_int_distribution<std::int64_t> pick(FirstSupportedSecond(), LastSupportedSecond());
  for (int i = 0; i < 20000; ++i) {
    const std::int64_t seconds = i < 2 ? (i == 0 ? FirstSupportedSecond() : LastSupportedSecond())
                                       : pick(random);
    const auto civil = BreakDownTime(seconds);
    ASSERT_TRUE(civil.ok()) << seconds;
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    ASSERT_NE(gmtime_r(&t, &tm), nullptr);
    ASSERT_EQ(civil->year, tm.tm_year + 1900) << seconds;
    ASSERT_EQ(civil->month, tm.tm_mon + 1) << seconds;
    ASSERT_EQ(civil->day, tm.tm_mday) << seconds;
    ASSERT_EQ(civil->hour, tm.tm_hour) << seconds;
    ASSERT_EQ(civil->minute, tm.tm_min) << seconds;
    ASSERT_EQ(civil->second, tm.tm_sec) << seconds;
    ASSERT_EQ(civil->weekday, tm.tm_wday) << seconds;
  }
}

TEST(BreakDownTime, DayNumberAgreesWithDayCountSince1970) {
  for (std::int64_t day = FirstSupportedSecond() / 86400; day <= LastSupportedSecond() / 86400;
       day += 7) {
    const auto civil = BreakDownTime(day * 86400 + 43210);
    ASSERT_TRUE(civil.ok());
    ASSERT_EQ(DayNumber(civil->year, civil->month, civil->day) - 43040, day);
  }
}

TEST(BreakDownTime, RefusesYearsOutsideTheSupportedRange) {
  EXPECT_FALSE(BreakDownTime(FirstSupportedSecond() - 1).ok());
  EXPECT_EQ(BreakDownTime(LastSupportedSecond() + 1).reason(), "moment outside 1901-2099");
  EXPECT_EQ(BreakDownTime(FirstSupportedSecond())->year, 1901);
  EXPECT_EQ(BreakDownTime(LastSupportedSecond())->year, 2099);
  EXPECT_EQ(BreakDownTime(LastSupportedSecond())->second, 59);
  EXPECT_FALSE(AscTimeText(LastSupportedSecond() + 1).ok());
}

TEST(AscTimeText, AscTimeLayout) {
  // 946728000 s is 2000-01-01 12:00:00 UTC, a Saturday.
  EXPECT_EQ(AscTimeText(946728000).value(), "Sat Jan  1 12:00:00 2000");
  EXPECT_EQ(AscTimeText(0).value(), "Thu Jan  1 00:00:00 1970");
  EXPECT_EQ(AscTimeText(937353600 + 3661).value(), "Wed Sep 15 01:01:01 1999");
  EXPECT_EQ(AscTimeText(-1).value(), "Wed Dec 31 23:59:59 1969");
}

TEST(GreenwichSiderealHours, EpochValue) {
  // 6.681961256 h (0.0657098232 * 7305 reduced, plus 6.67170278) and the
  // nutation-like term 0.00029 sin(372.1133 - 0.0529539 * 7305 degrees).
  const double node = (372.1133 - 0.0529539 * 7305) * 0.017453292519944444;
  EXPECT_NEAR(GreenwichSiderealHours(0), 6.681961256 + 0.00029 * std::sin(node), 1e-9);
}

TEST(GreenwichSiderealHours, StaysInRangeAndContinuousBefore1970) {
  // One sidereal day is 23.9345 h: the sidereal time gains 0.0657 h per
  // solar day and 24.0657 h per day of the fraction.
  for (double x = -25000.25; x < 47000; x += 97.37) {
    const double g = GreenwichSiderealHours(x);
    ASSERT_GE(g, 0.0) << x;
    ASSERT_LT(g, 24.0) << x;
    const double later = GreenwichSiderealHours(x + 1.0 / 1440);
    double step = later - g;
    if (step < 0) step += 24;
    ASSERT_NEAR(step, 24.0657098232 / 1440, 1e-6) << x;
  }
  // Across midnight before 1970, where the whole part truncates toward zero.
  for (double day : {-1.0, -365.0, -7305.0, -20000.0}) {
    double step = GreenwichSiderealHours(day + 1e-6) - GreenwichSiderealHours(day - 1e-6);
    if (step < -12) step += 24;
    EXPECT_NEAR(step, 24.0657098232 * 2e-6, 1e-7) << day;
  }
}

TEST(FullArcTangent, Quadrants) {
  struct Row {
    const char* name;
    double y, x, expected;
  };
  const double pi = 3.14159265359;
  const Row rows[] = {
      {"up", 1, 0, 1.5707963267948966},  {"down", -1, 0, -1.5707963267948966},
      {"third_quadrant", -1, -1, -3 * pi / 4},
      {"negative_x_axis", 0, -1, pi},    {"positive_x_axis", 0, 1, 0},
      {"second_quadrant", 1, -1, 3 * pi / 4}, {"origin", 0, 0, 0},
  };
  for (const auto& row : rows) {
    EXPECT_NEAR(FullArcTangent(row.y, row.x), row.expected, 1e-11) << row.name;
    EXPECT_NEAR(FullArcTangent(row.y, row.x), std::atan2(row.y, row.x), 1e-11) << row.name;
  }
}

}  // namespace
}  // namespace kelvora
