// Days to or since perigee and apogee.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "astro/moon.h"
#include "astro/perigee.h"
#include "astro/time_helpers.h"

namespace kelvora {
namespace {

// Whole-kilometre distance at 00:00 UTC of a day since 1970.
std::int32_t Sample(int day) {
  return static_cast<std::int32_t>(MoonDistanceKm(day));
}

int DaySince1970(int year, int month, int day) { return DayNumber(year, month, day) - 43040; }

// The counts point at turning days of the daily samples: a perigee p days
// away has s(p-1) > s(p) <= s(p+1) (the first day of a plateau), an apogee
// s(p-1) < s(p) >= s(p+1).
void ExpectTurningDays(int today, const PerigeeApogee& counts) {
  const int p = today + counts.perigeeDays;
  const int a = today + counts.apogeeDays;
  EXPECT_GT(Sample(p - 1), Sample(p)) << "perigee, day " << today;
  EXPECT_LE(Sample(p), Sample(p + 1)) << "perigee, day " << today;
  EXPECT_LT(Sample(a - 1), Sample(a)) << "apogee, day " << today;
  EXPECT_GE(Sample(a), Sample(a + 1)) << "apogee, day " << today;
  // One of the two lies ahead or is today, the other behind or today.
  EXPECT_LE(std::min(counts.perigeeDays, counts.apogeeDays), 0) << today;
  EXPECT_GE(std::max(counts.perigeeDays, counts.apogeeDays), 0) << today;
}

TEST(UpdatePerigeeApogee, CountsPointAtTurningDays) {
  // Every day of 1999-2001, and the days named where the extreme lies 16 or
  // 17 days away (beyond a 34-sample window of 17 days back and 16 ahead).
  const PerigeeApogee start{0, 0};
  for (int day = DaySince1970(1999, 1, 1); day < DaySince1970(2002, 1, 1); ++day) {
    ExpectTurningDays(day, UpdatePerigeeApogee(day + 0.5, start));
  }
  struct Row {
    const char* name;
    int year, month, day;
    int perigeeDays;
  };
  const Row rows[] = {
      {"perigee_sixteen_days_ahead_1970", 1970, 3, 18, 16},
      {"perigee_seventeen_days_ahead_2013", 2013, 1, 22, 17},
      {"perigee_seventeen_days_ahead_1945", 1945, 12, 29, 17},
  };
  for (const auto& row : rows) {
    const int today = DaySince1970(row.year, row.month, row.day);
    const PerigeeApogee counts = UpdatePerigeeApogee(today + 0.99, start);
    EXPECT_EQ(counts.perigeeDays, row.perigeeDays) << row.name;
    EXPECT_EQ(counts.apogeeDays, 0) << row.name;
    ExpectTurningDays(today, counts);
  }
}

TEST(UpdatePerigeeApogee, DayOfPerigeeAndDayOfApogee) {
  // Find the next perigee and apogee day after 2000-01-01 from the samples,
  // then ask on those days.
  int day = DaySince1970(2000, 1, 1);
  while (!(Sample(day - 1) > Sample(day) && Sample(day) < Sample(day + 1))) ++day;
  PerigeeApogee atPerigee = UpdatePerigeeApogee(day + 0.25, {99, 99});
  EXPECT_EQ(atPerigee.perigeeDays, 0);
  EXPECT_GT(atPerigee.apogeeDays, 0);

  day = DaySince1970(2000, 1, 1);
  while (!(Sample(day - 1) <= Sample(day) && Sample(day) > Sample(day + 1))) ++day;
  PerigeeApogee atApogee = UpdatePerigeeApogee(day + 0.25, {99, 99});
  EXPECT_EQ(atApogee.apogeeDays, 0);
  EXPECT_GT(atApogee.perigeeDays, 0);
}

TEST(UpdatePerigeeApogee, SameDaySameCountsAndChangeAtMidnight) {
  // A day in the rising branch with both extremes at least two days away:
  // tomorrow the apogee is one day nearer and the perigee one day further.
  int today = DaySince1970(2005, 6, 10);
  for (;; ++today) {
    const PerigeeApogee c = UpdatePerigeeApogee(today + 0.5, {0, 0});
    if (c.apogeeDays >= 2 && c.perigeeDays <= -2) break;
  }
  const PerigeeApogee morning = UpdatePerigeeApogee(today + 0.01, {0, 0});
  const PerigeeApogee evening = UpdatePerigeeApogee(today + 0.99, {0, 0});
  const PerigeeApogee tomorrow = UpdatePerigeeApogee(today + 1.01, {0, 0});
  EXPECT_EQ(morning.perigeeDays, evening.perigeeDays);
  EXPECT_EQ(morning.apogeeDays, evening.apogeeDays);
  EXPECT_EQ(tomorrow.perigeeDays, morning.perigeeDays - 1);
  EXPECT_EQ(tomorrow.apogeeDays, morning.apogeeDays - 1);
}

TEST(UpdatePerigeeApogee, PlateauTodayKeepsPreviousCounts) {
  // Days whose whole-kilometre sample equals the next day's (found by
  // scanning the supported range): the tick cannot decide and keeps its counts.
  struct Row {
    const char* name;
    int year, month, day;
  };
  const Row rows[] = {{"plateau_1952", 1952, 1, 26}, {"plateau_2076", 2076, 4, 12}};
  for (const auto& row : rows) {
    const int today = DaySince1970(row.year, row.month, row.day);
    ASSERT_EQ(Sample(today), Sample(today + 1)) << row.name;
    const PerigeeApogee counts = UpdatePerigeeApogee(today + 0.5, {7, -5});
    EXPECT_EQ(counts.perigeeDays, 7) << row.name;
    EXPECT_EQ(counts.apogeeDays, -5) << row.name;
  }
}

TEST(UpdatePerigeeApogee, MomentsBefore1970CountFromTheirOwnDay) {
  // 1969-12-31 12:00 is day -1 (not day 0) for the samples.
  const PerigeeApogee counts = UpdatePerigeeApogee(-0.5, {0, 0});
  ExpectTurningDays(-1, counts);
  const PerigeeApogee sameDay = UpdatePerigeeApogee(-1.0, {0, 0});
  EXPECT_EQ(counts.perigeeDays, sameDay.perigeeDays);
  EXPECT_EQ(counts.apogeeDays, sameDay.apogeeDays);
}

}  // namespace
}  // namespace kelvora
