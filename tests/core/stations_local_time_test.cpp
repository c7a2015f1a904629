// The second station's approximate local time.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "stations/local_time.h"

namespace kelvora {
namespace {

// 2000-01-01 00:00 UTC is 946684800 s after 1970 (10957 days) and a Saturday.
constexpr std::int64_t kSaturday2000 = 946684800;
constexpr std::int64_t kDay = 86400;
constexpr std::int64_t kHour = 3600;

TEST(ApproximateZone, FifteenDegreeZonesShiftedSevenDegrees) {
  struct Row {
    const char* name;
    double westLongitude;
    int zone;
  } rows[] = {
      {"seven_and_a_half_east_is_zone_0", -7.5, 0},
      {"just_inside_zone_0_west", 7.99, 0},
      {"just_inside_zone_0_east", -7.99, 0},
      {"zone_1_starts_at_8_west", 8.0, 1},
      {"zone_1_ends", 22.99, 1},
      {"zone_11_starts", 158.0, 11},
      {"zone_11_ends", 172.99, 11},
      {"date_line_band_173", 173.0, -12},
      {"date_line_band_173_5", 173.5, -12},
      {"zone_12_from_174", 174.0, 12},
      {"zone_12_to_179_99", 179.99, 12},
      {"zone_minus_1_from_8_east", -8.0, -1},
      {"zone_minus_1_to_21_99_east", -21.99, -1},
      {"twenty_two_east_is_zone_minus_2", -22.0, -2},
      {"zone_minus_12_from_172_east", -172.0, -12},
      {"houston", 95.36, 6},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(ApproximateZone(r.westLongitude), r.zone) << r.name;
  }
}

TEST(LocalTimeText, WeekdayTwelveHourClockAndZone) {
  // Wednesday 2000-01-05 12:00 on the computer's clock (four days after the
  // Saturday).
  const std::int64_t wednesdayNoon = kSaturday2000 + 4 * kDay + 12 * kHour;
  // Sunday 2000-01-02.
  const std::int64_t sunday = kSaturday2000 + kDay;
  struct Row {
    const char* name;
    double westLongitude;
    std::int64_t clock;
    int gmtOffsetHours;
    int timeOffset;
    const char* text;
  } rows[] = {
      // UTC 18:00 at zone 0.
      {"gmt_offset_6_zone_0", 0.12, wednesdayNoon, 6, 0, "Wed, 06:00pm"},
      // UTC 18:00 minus six hours.
      {"gmt_offset_6_zone_6", 96.79, wednesdayNoon, 6, 0, "Wed, 12:00pm"},
      {"morning_with_leading_zeros", 0.0, sunday + 9 * kHour + 5 * 60, 0, 0, "Sun, 09:05am"},
      {"half_past_midnight_is_12_30am", 0.0, sunday + 30 * 60, 0, 0, "Sun, 12:30am"},
      {"noon_is_12_00pm", 0.0, sunday + 12 * kHour, 0, 0, "Sun, 12:00pm"},
      {"evening", 0.0, sunday + 23 * kHour + 59 * 60, 0, 0, "Sun, 11:59pm"},
      // Zone -2 is two hours ahead: Saturday 23:30 UTC is Sunday 01:30 there.
      {"east_zone_crosses_midnight", -22.0, sunday - 30 * 60, 0, 0, "Sun, 01:30am"},
      // A day of stepping moves the weekday.
      {"time_offset_counts", 0.0, sunday + 9 * kHour, 0, 86400, "Mon, 09:00am"},
  };
  for (const Row& r : rows) {
    const auto text = LocalTimeText(r.westLongitude, r.clock, r.gmtOffsetHours, r.timeOffset);
    ASSERT_TRUE(text.ok()) << r.name;
    EXPECT_EQ(*text, r.text) << r.name;
    EXPECT_LE(text->size(), 19u) << r.name;
  }
}

TEST(LocalTimeText, NothingOutsideTheSupportedYears) {
  // 2100-01-01 00:00 UTC = 4102444800 s; 1900-12-31 = -2177539200 s.
  EXPECT_FALSE(LocalTimeText(0.0, 4102444800, 0, 0).ok());
  EXPECT_FALSE(LocalTimeText(0.0, -2177539200, 0, 0).ok());
  EXPECT_TRUE(LocalTimeText(0.0, 4102444800 - 1, 0, 0).ok());
  EXPECT_FALSE(LocalTimeText(std::nan(""), kSaturday2000, 0, 0).ok());
  EXPECT_TRUE(LocalTimeText(1e300, kSaturday2000, 0, 0).ok());
}

}  // namespace
}  // namespace kelvora
