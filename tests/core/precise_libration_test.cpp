// The microwave figures (libration spread, Doppler rates, delays) checked
// two independent ways: against finite differences of what they claim to be
// the rate of (the point of the moon under the station, the range rate), and
// the moon's orientation against PyEphem's libration
// (tests/data/precise/libration.csv, made by make_libration_reference.py
// beside it).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "precise/libration.h"
#include "precise/precise.h"

namespace kelvora::precise {
namespace {

constexpr double kRadPerDeg = 3.14159265358979323846 / 180.0;

struct Case {
  const char* name;
  std::int64_t utc;
  Site site;
};

// Stations from the equator to the poles, moments over the supported years.
const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"houston_2000", 946728000, {29.42, 95.36, 0.0}},
      {"equator_1965", -157766400 + 43210, {0.0, -30.0, 0.0}},
      {"tromso_1984", 441763200 + 7200, {69.65, -18.96, 100.0}},
      {"sydney_2026", 1796601600 + 51000, {-33.9, -151.2, 50.0}},
      {"south_pole_2051", 2556144000 + 3333, {-90.0, 0.0, 2835.0}},
      {"andes_2099", 4099766400 + 60000, {-16.5, 68.1, 3600.0}},
  };
  return cases;
}

// The point under the station as a unit vector on the moon's body axes.
std::vector<double> PointUnder(std::int64_t utc, const Site& site) {
  const auto moment = PrepareMoment(utc);
  const auto point = StationLibration(*moment, site);
  const double lat = point->latitudeDeg * kRadPerDeg;
  const double lon = point->longitudeDeg * kRadPerDeg;
  return {std::cos(lat) * std::cos(lon), std::cos(lat) * std::sin(lon), std::sin(lat)};
}

// The apparent rotation is the speed at which the point under the station
// crosses the moon: central differences of that point, each end computed
// afresh (series, orientation and all), against the analytic rate. The
// spread follows from it by the stated formula; a station paired with
// itself gives its own echo's spread.
TEST(PreciseLibration, ApparentRotationIsTheRateOfThePointUnderTheStation) {
  constexpr std::int64_t kHalfStep = 60;
  double worst = 0.0;
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    const auto moment = PrepareMoment(c.utc);
    const auto line = LineOfSightAt(*moment, c.site);
    ASSERT_TRUE(line.ok());
    const std::vector<double> before = PointUnder(c.utc - kHalfStep, c.site);
    const std::vector<double> after = PointUnder(c.utc + kHalfStep, c.site);
    const double rate =
        std::hypot(after[0] - before[0], after[1] - before[1], after[2] - before[2]) /
        (2.0 * kHalfStep);
    EXPECT_NEAR(line->apparentRotationRadPerS, rate, 3e-4 * rate + 1e-11);
    worst = std::max(worst, std::fabs(line->apparentRotationRadPerS / rate - 1.0));
    EXPECT_GT(rate, 1e-8);  // the case is not a trivial one

    const double f = 10368e6;
    EXPECT_NEAR(EchoSpreadHz(*line, f), 4.0 * f * kMoonRadiusM * rate / kSpeedOfLightMps,
                3e-4 * EchoSpreadHz(*line, f));
    EXPECT_DOUBLE_EQ(TwoStationSpreadHz(*line, *line, f), EchoSpreadHz(*line, f));
  }
  std::printf("  largest relative difference from the finite differences: %.2e\n", worst);
}

// The range acceleration behind the Doppler rates against central
// differences of the range rate, each end computed afresh.
TEST(PreciseLibration, DopplerRateIsTheRateOfTheDoppler) {
  constexpr std::int64_t kHalfStep = 10;
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    const auto line = LineOfSightAt(*PrepareMoment(c.utc), c.site);
    const auto before = PreciseMoon(c.site, c.utc - kHalfStep);
    const auto after = PreciseMoon(c.site, c.utc + kHalfStep);
    const double acceleration = (after->rangeRateMps - before->rangeRateMps) / (2.0 * kHalfStep);
    EXPECT_NEAR(line->rangeAccelerationMps2, acceleration, 1e-4);
    // At 24 GHz the echo's rate then agrees within a hundredth of a Hz/s.
    const double f = 24048e6;
    EXPECT_NEAR(EchoDopplerRateHzPerS(line->rangeAccelerationMps2, f),
                (EchoDopplerHz(after->rangeRateMps, f) - EchoDopplerHz(before->rangeRateMps, f)) /
                    (2.0 * kHalfStep),
                0.02);
  }
}

// The geocentric libration against PyEphem's over 1960-2099. PyEphem
// follows the lunar theory's optical and physical libration (Meeus,
// Astronomical Algorithms, chapter 53); the IAU model is a fit of its own,
// so a few hundredths of a degree part them.
TEST(PreciseLibration, GeocentricLibrationMatchesPyEphem) {
  std::ifstream in(std::string(KELVORA_RESOURCE_DIR) + "/../tests/data/precise/libration.csv");
  std::string text;
  int rows = 0;
  double worst = 0.0;
  bool header = true;
  while (std::getline(in, text)) {
    if (text.empty() || text[0] == '#') continue;
    if (header) {
      header = false;
      continue;
    }
    std::istringstream fields(text);
    std::int64_t utc = 0;
    double latitude = 0.0;
    double longitude = 0.0;
    char comma = 0;
    ASSERT_TRUE(fields >> utc >> comma >> latitude >> comma >> longitude) << text;
    const auto moment = PrepareMoment(utc);
    ASSERT_TRUE(moment.ok()) << utc;
    const Libration l = GeocentricLibration(*moment);
    SCOPED_TRACE(text);
    EXPECT_NEAR(l.latitudeDeg, latitude, 0.05);
    EXPECT_NEAR(std::remainder(l.longitudeDeg - longitude, 360.0), 0.0, 0.05);
    worst = std::max({worst, std::fabs(l.latitudeDeg - latitude),
                      std::fabs(std::remainder(l.longitudeDeg - longitude, 360.0))});
    ++rows;
  }
  EXPECT_GE(rows, 50) << "libration table missing or short";
  std::printf("  largest difference from PyEphem: %.4f deg over %d moments\n", worst, rows);
}

// A once-a-second caller handing back the last frame gets the moon from the
// interpolation: the same figures as fresh ones, across the ends of the
// interpolated stretches too. (The reused frame's precession and nutation,
// up to an hour old, move the moon by metres on the earth's axes; the
// interpolation itself adds a millimetre.)
TEST(PreciseLibration, ReusedFramesGiveTheFreshFigures) {
  const Site home{29.42, 95.36, 10.0};
  const Site dx{-33.9, -151.2, 50.0};
  double worstPosition = 0.0;
  double worstVelocity = 0.0;
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    const std::int64_t start = c.utc - c.utc % kMoonAnchorSeconds - 3;
    if (start < kFirstPreciseSecond || start + 2 * kMoonAnchorSeconds > kLastPreciseSecond)
      continue;
    auto previous = PrepareMoment(start - 1);
    for (std::int64_t t = start; t < start + 2 * kMoonAnchorSeconds + 5; t += 7) {
      const auto reused = PrepareMoment(t, &previous->frame);
      const auto fresh = PrepareMoment(t);
      ASSERT_TRUE(reused && fresh);
      for (int k = 0; k < 3; ++k) {
        worstPosition =
            std::max(worstPosition, std::fabs(reused->moonPositionM[k] - fresh->moonPositionM[k]));
        worstVelocity = std::max(worstVelocity,
                                 std::fabs(reused->moonVelocityMps[k] - fresh->moonVelocityMps[k]));
      }
      const auto a = MicrowaveAt(*reused, home, dx, 24048e6);
      const auto b = MicrowaveAt(*fresh, home, dx, 24048e6);
      ASSERT_NEAR(*a->pathSpreadHz, *b->pathSpreadHz, 0.01);
      ASSERT_NEAR(*a->pathDopplerRateHzPerS, *b->pathDopplerRateHzPerS, 1e-4);
      previous = reused;
    }
  }
  std::printf("  interpolated moon: %.4f m, %.2e m/s from the series\n", worstPosition,
              worstVelocity);
  EXPECT_LT(worstPosition, 30.0);
  EXPECT_LT(worstVelocity, 1e-3);
}

// UT1 - UTC turns the earth: the hour angle grows by the earth's rotation
// over that time. Out-of-range values, NaN frequencies and the like are
// refused rather than turned into figures.
TEST(PreciseLibration, Ut1AndRefusals) {
  const Site site{29.42, 95.36, 0.0};
  const auto utc = PrepareMoment(946728000);
  const auto ut1 = PrepareMoment(946728000, nullptr, 0.5);
  const double turned = std::atan2(utc->moonPositionM[1], utc->moonPositionM[0]) -
                        std::atan2(ut1->moonPositionM[1], ut1->moonPositionM[0]);
  EXPECT_NEAR(turned, 0.5 * kEarthRotationRadPerS, 1e-10);

  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const double bad : {1.5, -1.01, nan}) EXPECT_FALSE(PrepareMoment(946728000, nullptr, bad));
  const auto moment = PrepareMoment(946728000);
  for (const double f : {0.0, -1.0, nan, 2e12}) EXPECT_FALSE(MicrowaveAt(*moment, site, {}, f));
  EXPECT_FALSE(MicrowaveAt(*moment, site, Site{95.0, 0.0, 0.0}, 1296e6));
  const auto figures = MicrowaveAt(*moment, site, {}, 1296e6);
  ASSERT_TRUE(figures);
  EXPECT_NEAR(figures->echoDelayS, 2.0 * figures->home.distanceM / kSpeedOfLightMps, 1e-12);
  EXPECT_FALSE(figures->pathSpreadHz);
}

}  // namespace
}  // namespace kelvora::precise
