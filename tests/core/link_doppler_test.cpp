// Echo Doppler at home and Doppler of the two-station path.
#include <gtest/gtest.h>

#include <random>

#include "link/doppler.h"
#include "link/range_rate.h"

namespace kelvora {
namespace {

DopplerInput Input(double homeRate, double station2Rate, bool upHome = true, bool up2 = true) {
  return DopplerInput{homeRate, station2Rate, upHome, up2};
}

TEST(ComputeDoppler, FiguresNeedTheMoonUpAtTheirStations) {
  struct Row {
    const char* name;
    DopplerInput input;
    bool echo;
    bool twoStation;
  } rows[] = {
      {"moon_below_home", Input(50.0, 20.0, false, true), false, false},
      {"moon_below_home_and_second_station", Input(50.0, 20.0, false, false), false, false},
      {"moon_below_second_station", Input(50.0, 20.0, true, false), true, false},
      {"both_up", Input(50.0, 20.0), true, true},
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

// A path between two stations has one Doppler shift whichever end is called
// home; with both ends at one place it is the echo; a receding moon lowers it.
TEST(ComputeDoppler, PathPropertiesAndSign) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> rate(-1200.0, 1200.0);
  for (int i = 0; i < 500; ++i) {
    const double a = rate(rng), b = rate(rng);
    const DopplerHz ab = ComputeDoppler(Input(a, b));
    const DopplerHz ba = ComputeDoppler(Input(b, a));
    ASSERT_DOUBLE_EQ(*ab.twoStation, *ba.twoStation) << a << " " << b;
    ASSERT_DOUBLE_EQ(*ComputeDoppler(Input(a, a)).twoStation, *ComputeDoppler(Input(a, a)).echo);
    ASSERT_LT(*ComputeDoppler(Input(a + 1.0, b)).echo, *ab.echo);
  }
}

// 2000-01-01 12:00 UTC at 29.42 N 95.36 W: swetest's geometric topocentric
// range rate is -200.94 m/s, an echo shift of 2 x 200.94 / 2.083 m = 192.9 Hz.
TEST(ComputeDoppler, HoustonEchoAgreesWithAnIndependentEphemeris) {
  const auto rate = StandardRangeRateMps(29.42, 95.36, 0.0, 946728000);
  ASSERT_TRUE(rate.ok());
  EXPECT_NEAR(*rate, -200.94, 0.5);
  EXPECT_EQ(EchoDopplerText(ComputeDoppler(Input(*rate, 0.0, true, false)).echo), " 193 hz");
}

}  // namespace
}  // namespace kelvora
