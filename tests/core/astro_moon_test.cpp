// Moon position, distance series.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "astro/moon.h"
#include "astro/time_helpers.h"

namespace kelvora {
namespace {

constexpr std::int64_t k2000Noon = 946728000;    // 2000-01-01 12:00:00 UTC
constexpr std::int64_t k1999Sep15 = 937353600;   // 1999-09-15 00:00:00 UTC
constexpr double kHoustonLatitude = 29.42;
constexpr double kHoustonLongitude = 95.36;     // west
constexpr double kRadToHours = 3.819721860586519;
constexpr double kTolerance = 0.012;            // degrees (or its equivalent in hours)

double Degrees(double radians) { return radians * kMoonRadToDeg; }

// Rounds to the printed number of decimals.
double Printed(double value, int decimals) {
  const double scale = std::pow(10.0, decimals);
  return std::round(value * scale) / scale;
}

TEST(MoonPosition, ReferenceMoment2000) {
  const auto fix = MoonPosition(kHoustonLatitude, kHoustonLongitude, k2000Noon, TimeBase{});
  ASSERT_TRUE(fix.ok());
  // Printed to the last digit of the reference values.
  EXPECT_DOUBLE_EQ(Printed(Degrees(fix->eclipticLatitude), 3), 5.171);
  EXPECT_DOUBLE_EQ(Printed(fix->distance, 1), 402413.2);
  EXPECT_DOUBLE_EQ(Printed(fix->siderealHours, 4), 18.6976);
  EXPECT_DOUBLE_EQ(Printed(fix->azimuth, 2), 132.63);
  EXPECT_DOUBLE_EQ(Printed(fix->elevation, 2), 35.22);
  // The series as written puts the longitude about 25 arc seconds east of the
  // printed 223.309; the quantities derived from it follow within 0.012.
  EXPECT_NEAR(Degrees(fix->eclipticLongitude), 223.309, kTolerance);
  EXPECT_NEAR(fix->rightAscension * kRadToHours, 14.8292, kTolerance / 15);
  EXPECT_NEAR(Degrees(fix->declination), -10.899, kTolerance);
  EXPECT_NEAR(Degrees(fix->hourAngle), 58.026, kTolerance);
  EXPECT_NEAR(fix->geocentricElevation, 35.96, kTolerance);
  // The parallax lowers the moon by about 57 arc minutes times cos(elevation).
  EXPECT_NEAR(fix->geocentricElevation - fix->elevation,
              std::asin(kEarthRadiusKm / fix->distance) * kMoonRadToDeg *
                  std::cos(fix->geocentricElevation / kMoonRadToDeg),
              0.01);
}

TEST(MoonPosition, ReferenceMoment1999) {
  const auto fix = MoonPosition(kHoustonLatitude, kHoustonLongitude, k1999Sep15, TimeBase{});
  ASSERT_TRUE(fix.ok());
  EXPECT_DOUBLE_EQ(Printed(fix->distance, 1), 402466.8);
  EXPECT_DOUBLE_EQ(Printed(fix->elevation, 2), 38.75);
  EXPECT_NEAR(fix->rightAscension * kRadToHours, 15.3114, kTolerance / 15);
  EXPECT_NEAR(Degrees(fix->declination), -13.002, kTolerance);
  EXPECT_NEAR(fix->azimuth, 217.01, kTolerance);
}

TEST(MoonPosition, OffsetsMoveTheMomentTogether) {
  // GMT offset and time offset are added to the clock value: all three
  // spellings of 2000-01-01 12:00 UTC give the same figures and day count.
  const auto direct = MoonPosition(kHoustonLatitude, kHoustonLongitude, k2000Noon, TimeBase{});
  const auto zoned =
      MoonPosition(kHoustonLatitude, kHoustonLongitude, k2000Noon + 6 * 3600, TimeBase{-6, 0});
  const auto stepped =
      MoonPosition(kHoustonLatitude, kHoustonLongitude, k2000Noon - 86400, TimeBase{0, 86400});
  ASSERT_TRUE(direct && zoned && stepped);
  EXPECT_EQ(direct->azimuth, zoned->azimuth);
  EXPECT_EQ(direct->elevation, stepped->elevation);
  EXPECT_EQ(direct->dayCount, 10957.5);
  EXPECT_EQ(stepped->dayCount, 10957.5);
}

TEST(MoonPosition, RefusesUnsupportedYears) {
  EXPECT_FALSE(MoonPosition(0, 0, LastSupportedSecond() + 1, TimeBase{}).ok());
  EXPECT_FALSE(MoonPosition(0, 0, FirstSupportedSecond(), TimeBase{0, -1}).ok());
  EXPECT_TRUE(MoonPosition(0, 0, FirstSupportedSecond(), TimeBase{}).ok());
}

TEST(MoonPosition, RangesHoldEverywhereAndAlways) {
  // Observers at the poles, the equator and in between, over the whole
  // supported range (before 1970 included).
  const double latitudes[] = {90, 89.999, 60, 29.42, 0, -33.9, -90};
  const double longitudes[] = {-179.5, -90, 0, 95.36, 180};
  int checked = 0;
  for (std::int64_t t = FirstSupportedSecond(); t < LastSupportedSecond(); t += 86400 * 97 + 3917) {
    for (double lat : latitudes) {
      for (double lon : longitudes) {
        const auto fix = MoonPosition(lat, lon, t, TimeBase{});
        ASSERT_TRUE(fix.ok());
        ASSERT_GT(fix->azimuth, 0.0) << t << " " << lat;
        ASSERT_LE(fix->azimuth, 360.0) << t << " " << lat;
        ASSERT_GE(fix->hourAngle, 0.0) << t;
        ASSERT_LE(fix->hourAngle, kTwoPiMoon) << t;
        ASSERT_GE(fix->rightAscension, 0.0) << t;
        ASSERT_LE(fix->rightAscension, kTwoPiMoon) << t;
        ASSERT_LE(std::abs(fix->elevation), 90.0) << t;
        // The moon stays between about 356000 and 407000 km.
        ASSERT_GT(fix->distance, 355000.0) << t;
        ASSERT_LT(fix->distance, 408000.0) << t;
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 25000);
}

TEST(MoonPosition, NoNanWithTheMoonInTheZenith) {
  // Put the observer under the moon: latitude = declination and west
  // longitude = Greenwich hour angle.
  const auto fix = MoonPosition(0, 0, k2000Noon, TimeBase{});
  ASSERT_TRUE(fix.ok());
  const double lat = fix->declination * kMoonRadToDeg;
  const double lon = fix->hourAngle * kMoonRadToDeg;
  const auto under = MoonPosition(lat, lon, k2000Noon, TimeBase{});
  ASSERT_TRUE(under.ok());
  EXPECT_TRUE(std::isfinite(under->azimuth));
  EXPECT_GT(under->azimuth, 0.0);
  EXPECT_LE(under->azimuth, 360.0);
  EXPECT_NEAR(under->geocentricElevation, 90.0, 1e-3);
}

TEST(MoonPosition, ContinuousAcrossMidnightAndMonthEnds) {
  // One second either side of 00:00 UTC at month and year ends: the moon
  // moves at most about 0.005 degrees in two seconds.
  struct Row {
    const char* name;
    int year, month, day;
  };
  const Row rows[] = {
      {"aug_to_sep_1999", 1999, 9, 1},  {"leap_feb_to_mar_2000", 2000, 3, 1},
      {"year_end_2000", 2001, 1, 1},    {"feb_to_mar_2001", 2001, 3, 1},
      {"before_1970", 1965, 7, 1},      {"late_century", 2087, 10, 1},
  };
  for (const auto& row : rows) {
    const std::int64_t midnight =
        static_cast<std::int64_t>(DayNumber(row.year, row.month, row.day) - 43040) * 86400;
    const auto before = MoonPosition(45, 10, midnight - 1, TimeBase{});
    const auto after = MoonPosition(45, 10, midnight + 1, TimeBase{});
    ASSERT_TRUE(before && after) << row.name;
    EXPECT_NEAR(before->elevation, after->elevation, 0.01) << row.name;
    double dAz = std::abs(before->azimuth - after->azimuth);
    if (dAz > 180) dAz = 360 - dAz;
    EXPECT_LT(dAz, 0.02) << row.name;
    EXPECT_NEAR(before->distance, after->distance, 0.5) << row.name;
    double dG = std::abs(before->hourAngle - after->hourAngle);
    if (dG > kPiMoon) dG = kTwoPiMoon - dG;
    EXPECT_LT(dG * kMoonRadToDeg, 0.01) << row.name;
  }
}

TEST(MoonPosition, EquatorObserverHasNoAzimuthCorrection) {
  // At latitude 0, gamma = 0: the parallax moves only the elevation, so the
  // topocentric azimuth is the geocentric one. Check it against the plain
  // spherical formula for the geocentric azimuth.
  for (std::int64_t t = k2000Noon; t < k2000Noon + 30 * 86400; t += 86400 / 3 + 123) {
    const auto fix = MoonPosition(0, 95.36, t, TimeBase{});
    ASSERT_TRUE(fix.ok());
    const double lha = fix->hourAngle - 95.36 / kMoonRadToDeg;  // local hour angle
    const double az = std::atan2(-std::sin(lha) * std::cos(fix->declination),
                                 std::sin(fix->declination)) * kMoonRadToDeg;
    double expected = az <= 0 ? az + 360 : az;
    double diff = std::abs(expected - fix->azimuth);
    if (diff > 180) diff = 360 - diff;
    EXPECT_LT(diff, 1e-6) << t;
  }
}

TEST(MoonPosition, DueSouthOnTheMeridian) {
  // Find the meridian passage near the 2000 reference moment by bisection on
  // the local hour angle; there the azimuth is 180 within the bisection step.
  std::int64_t lo = k2000Noon;
  std::int64_t hi = k2000Noon + 6 * 3600;
  const auto lha = [](std::int64_t t) {
    const auto fix = MoonPosition(kHoustonLatitude, kHoustonLongitude, t, TimeBase{});
    double h = fix->hourAngle - kHoustonLongitude / kMoonRadToDeg;
    if (h > kPiMoon) h -= kTwoPiMoon;
    if (h < -kPiMoon) h += kTwoPiMoon;
    return h;
  };
  ASSERT_LT(lha(lo), 0);
  ASSERT_GT(lha(hi), 0);
  while (hi - lo > 1) {
    const std::int64_t mid = (lo + hi) / 2;
    (lha(mid) < 0 ? lo : hi) = mid;
  }
  const auto fix = MoonPosition(kHoustonLatitude, kHoustonLongitude, lo, TimeBase{});
  EXPECT_NEAR(fix->azimuth, 180.0, 0.01);
}

TEST(MoonDistance, SeriesAgreesWithMoonPosition) {
  // MoonDistanceKm uses the 3.14159265359 pi, the moon routine its own; the
  // two distances differ by rounding only (well below a metre).
  for (std::int64_t t = 0; t < 40 * 86400; t += 86400 + 3600) {
    const auto fix = MoonPosition(0, 0, t, TimeBase{});
    ASSERT_TRUE(fix.ok());
    EXPECT_NEAR(MoonDistanceKm(fix->dayCount), fix->distance, 1e-3) << t;
    EXPECT_NEAR(kEarthRadiusKm * MoonDistanceEarthRadii(fix->dayCount - 10957.5),
                fix->distance, 1e-3);
  }
}

}  // namespace
}  // namespace kelvora
