// Echo Doppler at home and Doppler of the two-station path.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <random>
#include <string>

#include "astro/moon.h"
#include "astro/sun.h"
#include "link/doppler.h"

namespace kelvora {
namespace {

DopplerInput Input(double homeLat, double homeLon, double lat2, double lon2, double hourAngle,
                   double declinationDeg, double rangeRate, bool upHome = true,
                   bool up2 = true) {
  return DopplerInput{homeLat, homeLon, lat2, lon2, hourAngle, declinationDeg, rangeRate,
                      upHome, up2};
}

TEST(ComputeDoppler, FiguresNeedTheMoonUpAtTheirStations) {
  struct Row {
    const char* name;
    DopplerInput input;
    bool echo;
    bool twoStation;
  } rows[] = {
      {"moon_below_home", Input(29.42, 95.36, 51.5, 0.1, 1.0, 10.0, 50.0, false, true), false,
       false},
      {"moon_below_home_and_second_station",
       Input(29.42, 95.36, 51.5, 0.1, 1.0, 10.0, 50.0, false, false), false, false},
      {"moon_below_second_station", Input(29.42, 95.36, 51.5, 0.1, 1.0, 10.0, 50.0, true, false),
       true, false},
      {"both_up", Input(29.42, 95.36, 51.5, 0.1, 1.0, 10.0, 50.0), true, true},
  };
  for (const Row& r : rows) {
    const DopplerHz got = ComputeDoppler(r.input);
    EXPECT_EQ(got.echo.has_value(), r.echo) << r.name;
    EXPECT_EQ(got.twoStation.has_value(), r.twoStation) << r.name;
  }
}

TEST(DopplerTexts, FigureOrPlaceholder) {
  EXPECT_EQ(EchoDopplerText(std::nullopt), "no moon");
  EXPECT_EQ(TwoStationDopplerText(std::nullopt), "N/A");
  // Four characters of whole hertz, rounded.
  EXPECT_EQ(EchoDopplerText(-96.02), " -96 hz");
  EXPECT_EQ(TwoStationDopplerText(76.7), "  77 hz");
  EXPECT_EQ(EchoDopplerText(1234.5), "1234 hz");
  EXPECT_EQ(EchoDopplerText(-4.8), "  -5 hz");
}

TEST(ComputeDoppler, HandCalculatedFigures) {
  struct Row {
    const char* name;
    DopplerInput input;
    double hz;
    const char* text;
  } rows[] = {
      // Moon on the home meridian (t = 0): only the range-rate term,
      // -0.9601536 * 100 = -96.02.
      {"moon_on_meridian_receding", Input(40.0, 0.0, 0, 0, 0.0, 20.0, 100.0), -96.015,
       " -96 hz"},
      // -0.9601536 * -500 = 480.08.
      {"moon_on_meridian_approaching", Input(40.0, 0.0, 0, 0, 0.0, 20.0, -500.0), 480.077,
       " 480 hz"},
      // Equator, declination 0, moon 90 degrees east of the station (t = 90 k):
      // 926 / 2.0833 = 444.49 (cos t is 1e-6, so the correction term is nil).
      {"equator_moon_on_eastern_horizon", Input(0.0, 90.0, 0, 0, 0.0, 0.0, 0.0), 444.487,
       " 444 hz"},
      // The same minus 0.9601536 * 10 = 9.60: 434.89.
      {"equator_rotation_and_range", Input(0.0, 90.0, 0, 0, 0.0, 0.0, 10.0), 434.885, " 435 hz"},
      // Latitude 60, declination 0: 444.49 * cos 60 = 222.24.
      {"latitude_sixty", Input(60.0, 90.0, 0, 0, 0.0, 0.0, 0.0), 222.243, " 222 hz"},
      // Small figures keep the four-character field: 0.9601536 * -5 = -4.8.
      {"small_value_padded", Input(40.0, 0.0, 0, 0, 0.0, 20.0, -5.0), 4.801, "   5 hz"},
  };
  for (const Row& r : rows) {
    const DopplerHz got = ComputeDoppler(r.input);
    ASSERT_TRUE(got.echo.has_value()) << r.name;
    EXPECT_NEAR(*got.echo, r.hz, 2e-3) << r.name;
    EXPECT_EQ(EchoDopplerText(got.echo), r.text) << r.name;
  }
}

// A path between two stations has one Doppler shift whichever end is called
// home; with both at the same place it is the echo Doppler.
TEST(ComputeDoppler, TwoStationPathIsSymmetric) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> lat(-80.0, 80.0);
  std::uniform_real_distribution<double> lon(-179.0, 179.0);
  std::uniform_real_distribution<double> hourAngle(0.0, 6.28);
  std::uniform_real_distribution<double> dec(-28.0, 28.0);
  std::uniform_real_distribution<double> rate(-80.0, 80.0);
  for (int i = 0; i < 2000; ++i) {
    const double la1 = lat(rng), lo1 = lon(rng), la2 = lat(rng), lo2 = lon(rng);
    const double g = hourAngle(rng), d = dec(rng), rr = rate(rng);
    const DopplerHz ab = ComputeDoppler(Input(la1, lo1, la2, lo2, g, d, rr));
    const DopplerHz ba = ComputeDoppler(Input(la2, lo2, la1, lo1, g, d, rr));
    ASSERT_EQ(TwoStationDopplerText(ab.twoStation), TwoStationDopplerText(ba.twoStation))
        << la1 << " " << lo1 << " " << la2 << " " << lo2 << " " << g;
    ASSERT_NEAR(*ab.twoStation, *ba.twoStation, 1e-9);
    const DopplerHz same = ComputeDoppler(Input(la1, lo1, la1, lo1, g, d, rr));
    ASSERT_EQ(*same.twoStation, *same.echo);
  }
}

// Independent geometry: a station on a sphere of 6378.16 km turning with the
// earth, the moon fixed at its distance, declination and Greenwich hour angle.
// The echo shift is 2 (M - S).v / (|M - S| wavelength); the wavelength is
// chosen so that the peak shift on the equator is the program's 926/2.0833 Hz.
double RotationEcho(double latDeg, double westLonDeg, double hourAngle, double decRad,
                    double distanceKm) {
  constexpr double kOmega = 7.2921159e-5;  // rad/s
  constexpr double kRadiusKm = 6378.16;
  const double wavelengthKm = 2.0 * kOmega * kRadiusKm / (926.0 / 2.0833);
  const double f = latDeg * std::numbers::pi / 180.0;
  const double e = -westLonDeg * std::numbers::pi / 180.0;
  const std::array<double, 3> s{kRadiusKm * std::cos(f) * std::cos(e),
                                kRadiusKm * std::cos(f) * std::sin(e), kRadiusKm * std::sin(f)};
  const std::array<double, 3> v{-kOmega * s[1], kOmega * s[0], 0.0};
  const std::array<double, 3> m{distanceKm * std::cos(decRad) * std::cos(-hourAngle),
                                distanceKm * std::cos(decRad) * std::sin(-hourAngle),
                                distanceKm * std::sin(decRad)};
  const std::array<double, 3> los{m[0] - s[0], m[1] - s[1], m[2] - s[2]};
  const double range = std::sqrt(los[0] * los[0] + los[1] * los[1] + los[2] * los[2]);
  return 2.0 * (los[0] * v[0] + los[1] * v[1] + los[2] * v[2]) / (range * wavelengthKm);
}

TEST(ComputeDoppler, HoustonLondonAgreesWithTheGeometry) {
  // 2000-01-01 10:00 UTC: 946684800 + 10 h.
  const std::int64_t clock = 946684800 + 36000;
  const TimeBase base{};
  const auto home = MoonPosition(29.42, 95.36, clock, base);
  const auto london = MoonPosition(51.5, 0.1, clock, base);
  ASSERT_TRUE(home && london);
  ASSERT_GT(home->elevation, 0.0);
  ASSERT_GT(london->elevation, 0.0);
  const SunFix sun = SunPosition(29.42, 95.36, clock, base);

  const DopplerInput in = Input(29.42, 95.36, 51.5, 0.1, home->hourAngle,
                                home->declination * 57.29577951307855, sun.moonRangeRate);
  const DopplerHz got = ComputeDoppler(in);

  const double rangeTerm = 0.9601536245799327 * sun.moonRangeRate;
  const double e1 = RotationEcho(29.42, 95.36, home->hourAngle, home->declination, home->distance);
  const double e2 = RotationEcho(51.5, 0.1, home->hourAngle, home->declination, home->distance);
  // The program's hour-angle shaping differs from the exact parallax by about
  // 2 % of the rotation term.
  EXPECT_NEAR(*got.echo, e1 - rangeTerm, 8.0);
  EXPECT_NEAR(*got.twoStation, 0.5 * (e1 + e2) - rangeTerm, 8.0);
  // Hand calculation with this moon (G 0.5045 rad, declination -10.59 deg,
  // range rate 33.09 m/s): t = 1.1599, r = 5.7805, 0.5 (D(t) + D(r)) - 31.77
  // = 76.7 Hz. Mixing the home angle into the second station's angle
  // (v = o - t = 2.8225) would give 184.4 Hz, far from the geometry.
  EXPECT_EQ(EchoDopplerText(got.echo), " 312 hz");
  EXPECT_EQ(TwoStationDopplerText(got.twoStation), "  77 hz");
}

}  // namespace
}  // namespace kelvora
