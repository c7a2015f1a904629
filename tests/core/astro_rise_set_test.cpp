// Rise and set search.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "astro/moon.h"
#include "astro/rise_set.h"
#include "astro/sun.h"
#include "astro/time_helpers.h"

namespace kelvora {
namespace {

constexpr std::int64_t k2000Noon = 946728000;  // 2000-01-01 12:00:00 UTC

double QuickElevation(Body body, double lat, double lon, std::int64_t t) {
  return body == Body::Moon ? QuickMoonElevation(lat, lon, t).value()
                            : QuickSunElevation(lat, lon, t);
}

// The crossing of the quick elevation in the hour before `after`, to the
// second, by bisection.
std::int64_t TrueCrossing(Body body, double lat, double lon, std::int64_t after) {
  std::int64_t lo = after - 3 * 3600;
  std::int64_t hi = after + 3600;
  const bool rising = QuickElevation(body, lat, lon, hi) > 0;
  while (hi - lo > 1) {
    const std::int64_t mid = (lo + hi) / 2;
    const bool up = QuickElevation(body, lat, lon, mid) > 0;
    (up == rising ? hi : lo) = mid;
  }
  return hi;
}

TEST(QuickElevations, AgreeWithTheFullRoutines) {
  // The short lunar theory against the full one (topocentric, ellipsoid):
  // within a few tenths of a degree; the quick sun is the sun routine itself.
  for (std::int64_t t = k2000Noon; t < k2000Noon + 30LL * 86400; t += 86400 / 5 + 11) {
    const auto moon = MoonPosition(29.42, 95.36, t, TimeBase{});
    ASSERT_TRUE(moon.ok());
    EXPECT_NEAR(QuickMoonElevation(29.42, 95.36, t).value(), moon->elevation, 0.35) << t;
    EXPECT_EQ(QuickSunElevation(29.42, 95.36, t), SunPosition(29.42, 95.36, t, TimeBase{}).elevation);
  }
  EXPECT_FALSE(QuickMoonElevation(0, 0, LastSupportedSecond() + 1).ok());
  EXPECT_FALSE(QuickMoonElevation(0, 0, FirstSupportedSecond() - 1).ok());
}

TEST(FindHorizonCrossing, LandsJustAfterTheElevationChangesSign) {
  struct Row {
    const char* name;
    Body body;
    double lat, lon;
    std::int64_t clock;
    std::int32_t gmtOffsetHours;
  };
  const Row rows[] = {
      {"moon_houston_2000", Body::Moon, 29.42, 95.36, k2000Noon, 0},
      {"moon_houston_local_clock", Body::Moon, 29.42, 95.36, k2000Noon - 6 * 3600, 6},
      {"moon_london_1999", Body::Moon, 51.5, 0.1, 937353600, 0},
      {"moon_sydney_2030", Body::Moon, -33.9, -151.2, 1900000000, 0},
      {"moon_before_1970", Body::Moon, 45.0, -7.0, -200000000, 0},
      {"sun_houston_2000", Body::Sun, 29.42, 95.36, k2000Noon, 0},
      {"sun_cape_town_2006", Body::Sun, -33.9, -18.4, 1150000000, 0},
  };
  for (const auto& row : rows) {
    std::int32_t offset = 0;
    // Six searches in a row: rise, set, rise, ... (or set first).
    for (int n = 0; n < 6; ++n) {
      const std::int64_t base = row.clock + std::int64_t{row.gmtOffsetHours} * 3600;
      const bool upBefore = QuickElevation(row.body, row.lat, row.lon, base + offset) > 0;
      const auto found = FindHorizonCrossing(row.lat, row.lon, row.body, row.clock,
                                             row.gmtOffsetHours, offset);
      ASSERT_TRUE(found.ok()) << row.name << " search " << n;
      ASSERT_GT(*found, offset) << row.name;
      const std::int64_t shown = base + *found;
      // The displayed moment is 30 s (plus at most 22 five-second steps after
      // a set) past the interpolated crossing, which is within a few minutes
      // of the true one.
      const std::int64_t crossing = TrueCrossing(row.body, row.lat, row.lon, shown);
      EXPECT_NEAR(static_cast<double>(shown - crossing), 30.0, 300.0) << row.name << " " << n;
      // The body is on the other side of the horizon afterwards.
      const bool upAfter = QuickElevation(row.body, row.lat, row.lon, shown + 300) > 0;
      EXPECT_NE(upBefore, upAfter) << row.name << " search " << n;
      offset = *found;
    }
  }
}

TEST(FindHorizonCrossing, SunriseAtHouston) {
  // Sunrise at 29.42 N 95.36 W on 2000-01-01 is at 07:17 CST (13:17 UTC) by
  // the almanac, with refraction and the upper limb; the geometric rise of
  // the centre comes about 4 minutes later.
  const auto found = FindHorizonCrossing(29.42, 95.36, Body::Sun, k2000Noon, 0, 0);
  ASSERT_TRUE(found.ok());
  const std::int64_t shown = k2000Noon + *found;
  EXPECT_GT(shown, k2000Noon + 3600 + 17 * 60);
  EXPECT_LT(shown, k2000Noon + 3600 + 30 * 60);
}

TEST(FindHorizonCrossing, PolarNightEndsWithinTheSearchLimit) {
  // 80 N on 2000-01-01: the sun stays down until late February.
  // The first rise is a noon peek: the sun reaches above the horizon within
  // the hour around the displayed moment, and was below all day a week before.
  const auto found = FindHorizonCrossing(80.0, 0.0, Body::Sun, k2000Noon, 0, 0);
  ASSERT_TRUE(found.ok());
  EXPECT_GT(*found, 40 * 86400);
  EXPECT_LT(*found, 70 * 86400);
  const std::int64_t shown = k2000Noon + *found;
  double highest = -90;
  for (std::int64_t t = shown - 3600; t <= shown + 3600; t += 60) {
    highest = std::fmax(highest, QuickSunElevation(80.0, 0.0, t));
  }
  EXPECT_GT(highest, 0.0);
  for (std::int64_t t = shown - 8 * 86400; t < shown - 7 * 86400; t += 600) {
    EXPECT_LT(QuickSunElevation(80.0, 0.0, t), 0.0);
  }
}

TEST(FindHorizonCrossing, RefusesWhatCannotBeShownAndSaysWhy) {
  struct Row {
    const char* name;
    Result<std::int32_t> found;
    const char* reason;
  };
  const Row rows[] = {
      {"offset_past_32_bits",
       FindHorizonCrossing(29.42, 95.36, Body::Moon, k2000Noon - 2147480000, 0,
                           std::numeric_limits<std::int32_t>::max() - 60),
       "the crossing lies beyond the time offset's limit of 2147483647 s"},
      // The search runs past the end of 2099, where the moon cannot be computed.
      {"search_past_2099",
       FindHorizonCrossing(29.42, 95.36, Body::Moon, LastSupportedSecond() - 60, 0, 0),
       "the crossing lies outside the years 1901-2099"},
      {"start_before_1901",
       FindHorizonCrossing(29.42, 95.36, Body::Moon, FirstSupportedSecond() - 86400, 0, 0),
       "no elevation of the body there and then"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_FALSE(row.found.ok());
    EXPECT_EQ(row.found.reason(), row.reason);
    EXPECT_EQ(row.found.kind(), FailureKind::kRefused);
  }
}

TEST(FindHorizonCrossing, NothingToFindWithoutAnElevation) {
  // Undefined coordinates give no elevation to follow; a start outside the
  // supported years gives no moon at all.
  const double nan = std::nan("");
  EXPECT_FALSE(FindHorizonCrossing(nan, 95.36, Body::Moon, k2000Noon, 0, 0).ok());
  EXPECT_FALSE(FindHorizonCrossing(29.42, nan, Body::Sun, k2000Noon, 0, 0).ok());
  EXPECT_FALSE(
      FindHorizonCrossing(29.42, 95.36, Body::Moon, LastSupportedSecond() + 1, 0, 0).ok());
}

}  // namespace
}  // namespace kelvora
