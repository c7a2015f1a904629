// Accurate figures: the polarity offset, refraction, the shared work of one
// moment (frame reuse, two stations at once) and ranges of the outputs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "astro/moon.h"
#include "astro/time_helpers.h"
#include "link/angles.h"
#include "link/polarity.h"
#include "precise/precise.h"
#include "selftest/compare.h"

namespace kelvora::precise {
namespace {

constexpr std::int64_t k2000Noon = 946728000;  // 2000-01-01 12:00:00 UTC

// Brings a difference of polarisation angles to (-90, 90].
double WrapHalfTurn(double degrees) {
  double d = std::fmod(degrees, 180.0);
  if (d <= -90.0) d += 180.0;
  if (d > 90.0) d -= 180.0;
  return d;
}

// The standard theory's offset as a signed number: the window's text reads
// "cw" for p1 <= p2 and folds differences beyond 90 degrees.
double StandardOffset(const Site& home, const Site& dx, std::int64_t utc) {
  const auto moon = MoonPosition(home.latitudeDeg, home.longitudeWestDeg, utc, TimeBase{});
  const double p1 = PolarityAngle(moon->hourAngle, moon->declination, home.latitudeDeg,
                                  home.longitudeWestDeg);
  const double p2 =
      PolarityAngle(moon->hourAngle, moon->declination, dx.latitudeDeg, dx.longitudeWestDeg);
  return WrapHalfTurn(p2 - p1);
}

// The accurate offset follows the standard one in size and sense; they part
// by the parallax the standard theory leaves out of its geocentric line of
// sight (about a degree at most, more for a moon near a station's zenith).
TEST(PrecisePolarity, FollowsTheStandardOffset) {
  std::mt19937_64 random(5);
  std::uniform_int_distribution<std::int64_t> moment(k2000Noon - 20 * 365 * 86400,
                                                     k2000Noon + 30 * 365 * 86400);
  std::uniform_real_distribution<double> latitude(-60.0, 60.0);
  std::uniform_real_distribution<double> longitude(-180.0, 180.0);
  int compared = 0;
  for (int i = 0; i < 4000 && compared < 300; ++i) {
    const std::int64_t utc = moment(random);
    const Site home{latitude(random), longitude(random), 0.0};
    const Site dx{latitude(random), longitude(random), 0.0};
    const auto path = PrecisePath(home, dx, utc);
    ASSERT_TRUE(path.ok());
    // Both stations see the moon, away from their zenith.
    if (path->home.elevationDeg < 5.0 || path->dx.elevationDeg < 5.0 ||
        path->home.elevationDeg > 80.0 || path->dx.elevationDeg > 80.0) {
      continue;
    }
    ++compared;
    SCOPED_TRACE(utc);
    EXPECT_NEAR(WrapHalfTurn(path->polarityOffsetDeg - StandardOffset(home, dx, utc)), 0.0, 2.0);
  }
  EXPECT_EQ(compared, 300);
}

TEST(PrecisePolarity, SymmetriesAndTheSharedMeridian) {
  const Site houston{29.42, 95.36, 0.0};
  const Site london{51.5, 0.1, 0.0};
  // One station against itself, and the two ways round.
  EXPECT_NEAR(*PrecisePolarityOffsetDeg(houston, houston, k2000Noon), 0.0, 1e-9);
  EXPECT_NEAR(*PrecisePolarityOffsetDeg(houston, london, k2000Noon),
              -*PrecisePolarityOffsetDeg(london, houston, k2000Noon), 1e-9);
  // Stations in the plane of the earth's axis and the moon see it on their
  // meridian, due north or south, whatever their parallax: no rotation of
  // the vertical against the pole, offset 0.
  const auto moment = PrepareMoment(k2000Noon);
  ASSERT_TRUE(moment.ok());
  const double meridian =
      -std::atan2(moment->moonPositionM[1], moment->moonPositionM[0]) * 180.0 / 3.14159265358979;
  const Site north{60.0, meridian, 0.0};
  const Site south{-20.0, meridian, 300.0};
  for (const Site& site : {north, south}) {
    const auto fix = PreciseMoon(*moment, site);
    ASSERT_TRUE(fix.ok());
    EXPECT_NEAR(WrapHalfTurn(fix->hourAngleDeg), 0.0, 1e-9);
  }
  EXPECT_NEAR(*PrecisePolarityOffsetDeg(*moment, north, south), 0.0, 1e-9);
}

// Hand calculations with Saemundsson's formula, R = 1.02' / tan(h + 10.3 /
// (h + 5.11)) + 0.0019279'.
TEST(PreciseRefraction, StandardValues) {
  struct Case {
    const char* name;
    double elevation;
    double expected;  // degrees
  };
  const Case cases[] = {
      {"horizon", 0.0, 0.48306},        {"ten_degrees", 10.0, 0.09016},
      {"forty_five", 45.0, 0.01691},    {"zenith", 90.0, 0.0},
      {"limit_at_minus_one", -1.0, 0.64661}, {"held_below", -30.0, 0.64661},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_NEAR(StandardRefractionDeg(c.elevation), c.expected, 5e-5);
  }
}

// A frame handed back within the hour serves as well as a fresh one; an
// older one is not used.
TEST(PreciseMoment, FrameReuse) {
  const Site site{-33.9, -151.2, 50.0};
  const auto fresh = PrepareMoment(k2000Noon);
  ASSERT_TRUE(fresh.ok());
  const auto early = PrepareMoment(k2000Noon - 3000);
  ASSERT_TRUE(early.ok());
  const auto reused = PrepareMoment(k2000Noon, &early->frame);
  ASSERT_TRUE(reused.ok());
  EXPECT_EQ(reused->frame.utcSeconds, k2000Noon - 3000);
  const auto a = PreciseMoon(*fresh, site);
  const auto b = PreciseMoon(*reused, site);
  EXPECT_LT(AngularSeparationDeg(a->azimuthDeg, a->elevationDeg, b->azimuthDeg, b->elevationDeg), 1e-5);
  EXPECT_NEAR(a->rangeRateMps, b->rangeRateMps, 1e-4);

  const auto stale = PrepareMoment(k2000Noon - kFrameReuseSeconds - 1);
  const auto refreshed = PrepareMoment(k2000Noon, &stale->frame);
  EXPECT_EQ(refreshed->frame.utcSeconds, k2000Noon);
}

// Over many moments and places: figures stay in their ranges and the
// one-call path gives what the separate calls give.
TEST(PreciseMoment, RangesAndTheOneCallPath) {
  std::mt19937_64 random(9);
  std::uniform_int_distribution<std::int64_t> moment(kFirstPreciseSecond, kLastPreciseSecond);
  std::uniform_real_distribution<double> latitude(-90.0, 90.0);
  std::uniform_real_distribution<double> longitude(-180.0, 180.0);
  std::uniform_real_distribution<double> height(kLowestSiteM, kHighestSiteM);
  for (int i = 0; i < 500; ++i) {
    const std::int64_t utc = moment(random);
    const Site home{latitude(random), longitude(random), height(random)};
    const Site dx{latitude(random), longitude(random), height(random)};
    SCOPED_TRACE(utc);
    const auto path = PrecisePath(home, dx, utc);
    const auto homeFix = PreciseMoon(home, utc);
    const auto sun = PreciseSun(home, utc);
    ASSERT_TRUE(path && homeFix && sun);
    EXPECT_EQ(path->home.azimuthDeg, homeFix->azimuthDeg);
    EXPECT_EQ(path->home.rangeRateMps, homeFix->rangeRateMps);
    EXPECT_EQ(path->polarityOffsetDeg, *PrecisePolarityOffsetDeg(home, dx, utc));
    for (const MoonFix& m : {path->home, path->dx}) {
      EXPECT_GE(m.azimuthDeg, 0.0);
      EXPECT_LT(m.azimuthDeg, 360.0);
      EXPECT_GE(m.hourAngleDeg, 0.0);
      EXPECT_LT(m.hourAngleDeg, 360.0);
      EXPECT_GE(m.rightAscensionHours, 0.0);
      EXPECT_LT(m.rightAscensionHours, 24.0);
      EXPECT_LE(std::fabs(m.elevationDeg), 90.0);
      EXPECT_GE(m.apparentElevationDeg, m.elevationDeg);
      // The moon's distance stays within perigee and apogee, less or more
      // an earth radius; it moves under 1.1 km/s against any station.
      EXPECT_GT(m.distanceKm, 356000.0 - 6400.0);
      EXPECT_LT(m.distanceKm, 407000.0 + 6400.0);
      EXPECT_LT(std::fabs(m.rangeRateMps), 1100.0);
    }
    EXPECT_GT(path->polarityOffsetDeg, -90.0);
    EXPECT_LE(path->polarityOffsetDeg, 90.0);
    EXPECT_GE(sun->azimuthDeg, 0.0);
    EXPECT_LT(sun->azimuthDeg, 360.0);
  }
}

}  // namespace
}  // namespace kelvora::precise

namespace kelvora::selftest {
namespace {

// The statistics the self-test and the accuracy report print.
TEST(PreciseStatistics, NearestRankSpreadAndSeparation) {
  std::vector<double> twenty;
  for (int i = 20; i >= 1; --i) twenty.push_back(i);
  const Spread s = SpreadOf(twenty);
  // Nearest rank: the 10th and 19th of 20 sorted values.
  EXPECT_EQ(s.median, 10.0);
  EXPECT_EQ(s.p95, 19.0);
  EXPECT_EQ(s.max, 20.0);
  const Spread one = SpreadOf({0.25});
  EXPECT_EQ(one.median, 0.25);
  EXPECT_EQ(one.max, 0.25);
  const Spread none = SpreadOf({});
  EXPECT_EQ(none.max, 0.0);

  struct Case {
    const char* name;
    double az1, el1, az2, el2, expected;
  };
  const Case cases[] = {
      {"same_point", 123.0, 45.0, 123.0, 45.0, 0.0},
      {"quarter_along_horizon", 0.0, 0.0, 90.0, 0.0, 90.0},
      {"across_the_zenith", 0.0, 89.9, 180.0, 89.9, 0.2},
      {"across_north", 359.999, 0.0, 0.001, 0.0, 0.002},
      {"tiny_in_elevation", 10.0, 30.0, 10.0, 30.000001, 0.000001},
      {"opposite", 0.0, 0.0, 180.0, 0.0, 180.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_NEAR(AngularSeparationDeg(c.az1, c.el1, c.az2, c.el2), c.expected, 1e-9);
  }
}

}  // namespace
}  // namespace kelvora::selftest
