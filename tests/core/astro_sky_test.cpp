// Sky temperature and the moon's sky-map track.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "astro/map_projection.h"
#include "astro/moon.h"
#include "astro/sky.h"
#include "astro/time_helpers.h"

namespace kelvora {
namespace {

constexpr std::int64_t k2000Noon = 946728000;  // 2000-01-01 12:00:00 UTC

TEST(SkyTemperature, TableValues) {
  struct Row {
    const char* name;
    double ra;
    double kelvin;  // table value(s) times 0.8718
  };
  const Row rows[] = {
      {"zero_hours", 0.0, 290 * 0.8718},
      {"maximum_at_eighteen", 18.0, 3700 * 0.8718},
      {"between_seventeen_and_eighteen", 17.75, (2200 + 3700) / 2.0 * 0.8718},
      {"end_of_day_repeats_start", 24.0, 290 * 0.8718},
      {"quarter_step", 1.125, (325 * 0.75 + 340 * 0.25) * 0.8718},
  };
  for (const auto& row : rows) EXPECT_NEAR(SkyTemperature(row.ra), row.kelvin, 1e-9) << row.name;
  EXPECT_NEAR(SkyTemperature(0.0), 252.822, 1e-9);
  EXPECT_NEAR(SkyTemperature(18.0), 3225.66, 1e-9);
  EXPECT_NEAR(SkyTemperature(17.75), 2571.81, 1e-9);
}

TEST(SkyTemperature, OutOfRangeInputStaysInsideTheTable) {
  EXPECT_DOUBLE_EQ(SkyTemperature(-3.0), SkyTemperature(0.0));
  EXPECT_DOUBLE_EQ(SkyTemperature(30.0), SkyTemperature(24.0));
  EXPECT_DOUBLE_EQ(SkyTemperature(std::nan("")), SkyTemperature(0.0));
}

TEST(MoonTrack, TwentySixDailyPoints) {
  const auto track = MoonTrack(29.42, 95.36, k2000Noon, TimeBase{});
  ASSERT_TRUE(track.ok());
  const auto now = MoonPosition(29.42, 95.36, k2000Noon, TimeBase{});
  ASSERT_TRUE(now.ok());
  EXPECT_EQ(track->current.hourAngle, now->hourAngle);
  EXPECT_EQ(track->current.dayCount, now->dayCount);
  // Point 0 by hand: RA 14.8296 h -> column (24 - 14.8296) * 17.75,
  // declination -10.90 degrees -> row 322 + 1.7 * 10.90.
  EXPECT_NEAR(track->points[0].column, (24 - 14.8296) * 17.75, 0.01);
  EXPECT_NEAR(track->points[0].row, 322 + 1.7 * 10.901, 0.01);
  EXPECT_EQ(track->currentColumn, static_cast<int>(track->points[0].column));
  EXPECT_EQ(track->currentRow, static_cast<int>(track->points[0].row));

  // The moon gains 0.8 to 1.1 h of right ascension a day (13 to 20 columns
  // to the left, wrapping at the 24 h edge of the 426-column map); the
  // declination stays within the moon's range (+-29 degrees).
  int wraps = 0;
  for (int k = 1; k < kMoonTrackPoints; ++k) {
    double step = track->points[k - 1].column - track->points[k].column;
    if (step < 0) {
      step += 24 * 17.75;
      ++wraps;
    }
    EXPECT_GT(step, 0.75 * 17.75) << k;
    EXPECT_LT(step, 1.25 * 17.75) << k;
    EXPECT_LE(std::abs(track->points[k].row - 322), 1.7 * 29.5) << k;
  }
  EXPECT_GE(wraps, 1);
  EXPECT_LE(wraps, 2);
}

TEST(MoonTrack, LaterPointsMatchTheFullMoonPosition) {
  // The track's later points skip the distance and the horizon; they must
  // still be exactly where the full moon position puts the moon k days on.
  const TimeBase base{-5, 7200};
  const auto track = MoonTrack(51.5, 0.1, 1234567890, base);
  ASSERT_TRUE(track.ok());
  for (int k = 0; k < kMoonTrackPoints; ++k) {
    const auto fix = MoonPosition(51.5, 0.1, 1234567890 + 86400LL * k, base);
    ASSERT_TRUE(fix.ok());
    const SkyMapPoint expected = SkyMapPlacement(fix->rightAscension * 3.819721860586519,
                                                 fix->declination / kMoonDegToRad);
    EXPECT_EQ(track->points[k].column, expected.column) << k;
    EXPECT_EQ(track->points[k].row, expected.row) << k;
  }
}

TEST(MoonTrack, RefusedWhenTheTrackLeavesTheSupportedYears) {
  EXPECT_FALSE(MoonTrack(0, 0, LastSupportedSecond() - 10 * 86400, TimeBase{}).ok());
  EXPECT_TRUE(MoonTrack(0, 0, LastSupportedSecond() - 26 * 86400, TimeBase{}).ok());
}

}  // namespace
}  // namespace kelvora
