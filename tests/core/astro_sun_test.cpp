// Sun position and the moon's range rate.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "astro/map_projection.h"
#include "astro/moon.h"
#include "astro/sun.h"
#include "astro/time_helpers.h"

namespace kelvora {
namespace {

constexpr std::int64_t k2000Noon = 946728000;  // 2000-01-01 12:00:00 UTC

double Printed(double value, int decimals) {
  const double scale = std::pow(10.0, decimals);
  return std::round(value * scale) / scale;
}

TEST(SunPosition, ReferenceMoment2000) {
  const SunFix sun = SunPosition(29.42, 95.36, k2000Noon, TimeBase{});
  EXPECT_DOUBLE_EQ(Printed(sun.eclipticLongitude * kRadToDeg, 3), 280.379);
  EXPECT_DOUBLE_EQ(Printed(sun.rightAscension * 12 / kPi, 4), 18.7526);
  EXPECT_DOUBLE_EQ(Printed(sun.declination * kRadToDeg, 3), -23.033);
  EXPECT_DOUBLE_EQ(Printed(sun.hourAngle * kRadToDeg, 3), 359.174);
  EXPECT_DOUBLE_EQ(Printed(sun.elevation, 2), -16.17);
  EXPECT_DOUBLE_EQ(Printed(sun.azimuth, 2), 107.71);
  EXPECT_EQ(sun.skyColumn, 93);
  EXPECT_EQ(sun.skyRow, 361);

  const SunFix later = SunPosition(29.42, 95.36, k2000Noon + 6 * 3600, TimeBase{});
  EXPECT_DOUBLE_EQ(Printed(later.elevation, 2), 37.23);
  EXPECT_DOUBLE_EQ(Printed(later.azimuth, 2), 172.81);
}

TEST(SunPosition, RightAscensionFollowsLongitudeQuadrant) {
  // alpha and lambda differ by at most 2.5 degrees (the reduction to the
  // equator); a wrong quadrant would show as 180 degrees. Also: declination
  // bounded by the obliquity, ranges of alpha, G and azimuth.
  for (std::int64_t t = -2000000000; t < 4000000000; t += 86400 * 3 + 7777) {
    const SunFix sun = SunPosition(52.0, -4.0, t, TimeBase{});
    double diff = std::abs(sun.rightAscension - sun.eclipticLongitude);
    diff = std::fmod(diff, kTwoPi);
    if (diff > kPi) diff = kTwoPi - diff;
    ASSERT_LT(diff * kRadToDeg, 2.6) << t;
    ASSERT_LE(std::abs(sun.declination * kRadToDeg), 23.46) << t;
    ASSERT_GE(sun.rightAscension, 0.0) << t;
    ASSERT_LE(sun.rightAscension, kTwoPi) << t;
    ASSERT_GE(sun.hourAngle, 0.0) << t;
    ASSERT_LE(sun.hourAngle, kTwoPi) << t;
    ASSERT_GT(sun.azimuth, 0.0) << t;
    ASSERT_LE(sun.azimuth, 360.0) << t;
  }
}

TEST(SunPosition, SkyPointFromRightAscensionAndDeclination) {
  // Hand calculation: column (24 - alpha h) * 17.75, row 322 - 1.7 delta deg,
  // each truncated.
  for (std::int64_t t = k2000Noon; t < k2000Noon + 365LL * 86400; t += 86400 * 11) {
    const SunFix sun = SunPosition(0, 0, t, TimeBase{});
    const double hours = sun.rightAscension * 3.8197186342052367;
    EXPECT_EQ(sun.skyColumn, static_cast<int>((24 - hours) * 17.75));
    EXPECT_EQ(sun.skyRow, static_cast<int>(322 - sun.declination * kMapRadToDeg * 1.7));
  }
}

TEST(SunPosition, NoNanAtThePolesOrUnderTheSun) {
  const SunFix ref = SunPosition(0, 0, k2000Noon, TimeBase{});
  const double underLat = ref.declination * kRadToDeg;
  const double underLon = ref.hourAngle * kRadToDeg;
  struct Row {
    const char* name;
    double lat, lon;
  };
  const Row rows[] = {{"north_pole", 90, 0}, {"south_pole", -90, 10}, {"subsolar", underLat, underLon}};
  for (const auto& row : rows) {
    const SunFix sun = SunPosition(row.lat, row.lon, k2000Noon, TimeBase{});
    EXPECT_TRUE(std::isfinite(sun.elevation)) << row.name;
    EXPECT_TRUE(std::isfinite(sun.azimuth)) << row.name;
    EXPECT_GT(sun.azimuth, 0.0) << row.name;
    EXPECT_LE(sun.azimuth, 360.0) << row.name;
  }
  // At the north pole the elevation is the declination.
  EXPECT_NEAR(SunPosition(90, 0, k2000Noon, TimeBase{}).elevation, ref.declination * kRadToDeg,
              1e-6);
}

TEST(SunPosition, MeridianGivesDueSouth) {
  // Local apparent noon for a northern observer by bisection on the local
  // hour angle: azimuth 180 there.
  const auto lha = [](std::int64_t t) {
    const SunFix sun = SunPosition(45, 0, t, TimeBase{});
    double h = sun.hourAngle;
    if (h > kPi) h -= kTwoPi;
    return h;
  };
  std::int64_t lo = k2000Noon - 3 * 3600;
  std::int64_t hi = k2000Noon + 3 * 3600;
  ASSERT_LT(lha(lo), 0);
  ASSERT_GT(lha(hi), 0);
  while (hi - lo > 1) {
    const std::int64_t mid = (lo + hi) / 2;
    (lha(mid) < 0 ? lo : hi) = mid;
  }
  EXPECT_NEAR(SunPosition(45, 0, lo, TimeBase{}).azimuth, 180.0, 0.01);
}

TEST(MoonRangeRate, AgreesWithTheDistanceSeries) {
  // Central difference of the distance over two hours, km to m/s.
  for (std::int64_t t = k2000Noon; t < k2000Noon + 60LL * 86400; t += 86400 / 4 + 17) {
    const SunFix sun = SunPosition(0, 0, t, TimeBase{});
    const double x = static_cast<double>(t) / 86400;
    const double central =
        (MoonDistanceKm(x + 1.0 / 24) - MoonDistanceKm(x - 1.0 / 24)) *
        1000 / 7200;
    EXPECT_NEAR(sun.moonRangeRate, central, 0.5) << t;
    EXPECT_LT(std::abs(sun.moonRangeRate), 100.0) << t;
  }
}

}  // namespace
}  // namespace kelvora
