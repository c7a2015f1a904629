// Accurate figures: a reference moment, refused input, Doppler and the
// relations between the figures of one fix.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "precise/precise.h"

namespace kelvora::precise {
namespace {

constexpr std::int64_t k2000Noon = 946728000;  // 2000-01-01 12:00:00 UTC
const Site kHouston{29.42, 95.36, 0.0};

// Angle between two (azimuth, elevation) directions, degrees.
double Separation(double az1, double el1, double az2, double el2) {
  constexpr double k = 3.14159265358979323846 / 180.0;
  const double c = std::sin(el1 * k) * std::sin(el2 * k) +
                   std::cos(el1 * k) * std::cos(el2 * k) * std::cos((az1 - az2) * k);
  return std::acos(std::fmin(1.0, c)) / k;
}

// Reference: swetest (Swiss Ephemeris 2.10, its JPL-fitted moon file) for
// 2000-01-01 12:00 UT at 29.42 N 95.36 W, height 0: apparent topocentric
// azimuth 132.611 (its south-based 312.611 plus 180) and elevation 35.204;
// with -true the geometric topocentric distance 398733.18 km and, by
// central difference over +-30 s, the range rate -200.94 m/s.
TEST(PreciseMoon, ReferenceMoment2000) {
  const auto moment = PrepareMoment(k2000Noon);
  ASSERT_TRUE(moment.ok());
  const auto fix = PreciseMoon(*moment, kHouston);
  ASSERT_TRUE(fix.ok());
  const auto seen = MoonLightDirection(*moment, kHouston);
  ASSERT_TRUE(seen.ok());
  EXPECT_LT(Separation(seen->azimuthDeg, seen->elevationDeg, 132.6111266, 35.2039732), 0.005);
  EXPECT_NEAR(fix->distanceKm, 398733.18, 15.0);
  EXPECT_NEAR(fix->rangeRateMps, -200.94, 0.06);
  // Light-time and aberration move the moon by well under 0.001 degrees.
  EXPECT_LT(Separation(seen->azimuthDeg, seen->elevationDeg, fix->azimuthDeg, fix->elevationDeg),
            0.001);
}

// Figures that follow from others in the same fix.
TEST(PreciseMoon, DerivedFiguresAgree) {
  const auto fix = PreciseMoon(kHouston, k2000Noon);
  ASSERT_TRUE(fix.ok());
  EXPECT_NEAR(fix->echoDelayS, 2.0 * fix->distanceKm * 1000.0 / kSpeedOfLightMps, 1e-12);
  // Refraction at 35 degrees is about 1.4 arc minutes and only raises.
  EXPECT_NEAR(fix->apparentElevationDeg - fix->elevationDeg, 1.4 / 60.0, 0.2 / 60.0);
  // Topocentric: the station is nearer than the earth's centre by about
  // R sin(elevation) for a moon this high.
  EXPECT_NEAR(fix->geocentricDistanceKm - fix->distanceKm,
              6373.0 * std::sin(fix->elevationDeg * 3.14159265358979 / 180.0), 60.0);
  // The local hour angle and the sidereal relation: a moon east of the
  // meridian (azimuth below 180) has an hour angle beyond 180.
  EXPECT_GT(fix->hourAngleDeg, 180.0);
  EXPECT_GE(fix->rightAscensionHours, 0.0);
  EXPECT_LT(fix->rightAscensionHours, 24.0);
}

struct RefusedCase {
  std::string name;
  Site site;
  std::int64_t utc;
  std::string reason;  // the refusal as the user reads it
};

TEST(PreciseMoon, RefusesBadInput) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const RefusedCase cases[] = {
      {"latitude_beyond_north_pole", {90.001, 0.0, 0.0}, k2000Noon,
       "the latitude 90.001 is outside -90..90 degrees"},
      {"latitude_beyond_south_pole", {-91.0, 0.0, 0.0}, k2000Noon,
       "the latitude -91 is outside -90..90 degrees"},
      {"latitude_nan", {nan, 0.0, 0.0}, k2000Noon, "the latitude is not a finite number"},
      {"longitude_nan", {10.0, nan, 0.0}, k2000Noon, "the longitude is not a finite number"},
      {"longitude_infinite", {10.0, inf, 0.0}, k2000Noon, "the longitude is not a finite number"},
      {"height_nan", {10.0, 0.0, nan}, k2000Noon, "the height is not a finite number"},
      {"height_below_dead_sea_limit", {10.0, 0.0, -500.5}, k2000Noon,
       "the height -500.5 m is outside -500..9000 m"},
      {"height_above_limit", {10.0, 0.0, 9000.5}, k2000Noon,
       "the height 9000.5 m is outside -500..9000 m"},
      {"moment_before_utc_table", kHouston, kFirstPreciseSecond - 1,
       "the moment (UTC seconds -315619201) is outside 1960-2099, where the accurate figures work"},
      {"moment_after_2099", kHouston, kLastPreciseSecond + 1,
       "the moment (UTC seconds 4102444800) is outside 1960-2099, where the accurate figures work"},
      {"moment_far_past", kHouston, std::numeric_limits<std::int64_t>::min(),
       "the moment (UTC seconds -9223372036854775808) is outside 1960-2099, where the accurate "
       "figures work"},
      {"moment_far_future", kHouston, std::numeric_limits<std::int64_t>::max(),
       "the moment (UTC seconds 9223372036854775807) is outside 1960-2099, where the accurate "
       "figures work"},
  };
  for (const RefusedCase& c : cases) {
    SCOPED_TRACE(c.name);
    const bool stationRefused = c.utc == k2000Noon;
    const auto moon = PreciseMoon(c.site, c.utc);
    ASSERT_FALSE(moon.ok());
    EXPECT_EQ(moon.reason(), c.reason);
    EXPECT_EQ(moon.kind(), FailureKind::kRefused);
    EXPECT_FALSE(PreciseSun(c.site, c.utc).ok());
    EXPECT_FALSE(PrecisePolarityOffsetDeg(c.site, kHouston, c.utc).ok());
    EXPECT_FALSE(PrecisePolarityOffsetDeg(kHouston, c.site, c.utc).ok());
    // Of two stations, the reason says which one was refused.
    const auto path = PrecisePath(kHouston, c.site, c.utc);
    ASSERT_FALSE(path.ok());
    EXPECT_EQ(path.reason(), (stationRefused ? "DX station: " : "") + c.reason);
  }
}

// The edges themselves are accepted, with finite figures.
TEST(PreciseMoon, AcceptsTheEdges) {
  const Site edges[] = {{90.0, 0.0, 9000.0}, {-90.0, 180.0, -500.0}, {0.0, -180.0, 0.0}};
  for (const std::int64_t utc : {kFirstPreciseSecond, kLastPreciseSecond}) {
    for (const Site& site : edges) {
      const auto fix = PreciseMoon(site, utc);
      ASSERT_TRUE(fix.ok());
      for (const double value :
           {fix->azimuthDeg, fix->elevationDeg, fix->apparentElevationDeg, fix->distanceKm,
            fix->rangeRateMps, fix->declinationDeg, fix->hourAngleDeg,
            fix->rightAscensionHours}) {
        EXPECT_TRUE(std::isfinite(value));
      }
      const auto sun = PreciseSun(site, utc);
      ASSERT_TRUE(sun.ok());
      EXPECT_TRUE(std::isfinite(sun->azimuthDeg) && std::isfinite(sun->elevationDeg));
    }
  }
}

// Hand calculations: c = 299792458 m/s.
TEST(PreciseDoppler, ShiftsForRangeRates) {
  struct Case {
    const char* name;
    double value;
    double expected;
  };
  const Case cases[] = {
      // -2 * 10368e6 * 100 / c = -6916.7851 Hz: receding lowers the echo.
      {"echo_receding_10368", EchoDopplerHz(100.0, 10368e6), -6916.7851},
      {"echo_approaching_1296", EchoDopplerHz(-200.0, 1296e6), 1729.1963},
      {"echo_still", EchoDopplerHz(0.0, 24048e6), 0.0},
      // -1296e6 * (100 - 300) / c = 864.5981 Hz.
      {"path_1296", TwoStationDopplerHz(100.0, -300.0, 1296e6), 864.5981},
      // Both stations the same: the path shift equals the echo shift.
      {"path_equals_echo", TwoStationDopplerHz(150.0, 150.0, 10368e6),
       EchoDopplerHz(150.0, 10368e6)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_NEAR(c.value, c.expected, 5e-4);
  }
}

}  // namespace
}  // namespace kelvora::precise
