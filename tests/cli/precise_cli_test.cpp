// kelvora-cli moon and selftest, run as a user would in a scratch folder.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "cli_run.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using testing::HasSubstr;

using Outcome = kelvora::cli_test::CliOutcome;

class PreciseCliTest : public kelvora::cli_test::CliFolderTest {};

// 2000-01-01 12:00 UTC; home 29.42 N 95.36 W, second station 51.5 N 0.1 W.
const std::vector<std::string> kNoonPath = {"moon",        "--clock", "946728000", "--gmt-offset",
                                            "0",           "--station", "29.42,95.36", "--dx",
                                            "51.5,0.1"};

std::vector<std::string> With(std::vector<std::string> args,
                              std::initializer_list<std::string> more) {
  args.insert(args.end(), more);
  return args;
}

TEST_F(PreciseCliTest, MoonJsonCarriesTheAccurateFigures) {
  const Outcome run = Run(With(kNoonPath, {"--freq", "10368e6", "--json"}));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const json out = json::parse(run.out);
  EXPECT_EQ(out["utcSeconds"], 946728000);
  EXPECT_EQ(out["frequencyHz"], 10368e6);
  const json& moon = out["home"]["moon"];
  // swetest's figures for this moment and station (tests/data/precise):
  // geometric distance 398733.18 km, range rate -200.94 m/s; its apparent
  // azimuth 132.611 and elevation 35.204 lie within 0.001 of the geometric.
  EXPECT_NEAR(moon["azimuthDeg"].get<double>(), 132.611, 0.005);
  EXPECT_NEAR(moon["elevationDeg"].get<double>(), 35.204, 0.005);
  EXPECT_NEAR(moon["distanceKm"].get<double>(), 398733.18, 15.0);
  EXPECT_NEAR(moon["rangeRateMps"].get<double>(), -200.94, 0.06);
  // -2 f v / c at 10368 MHz.
  EXPECT_NEAR(out["home"]["echoDopplerHz"].get<double>(),
              -2.0 * 10368e6 * moon["rangeRateMps"].get<double>() / 299792458.0, 1e-6);
  const double dxRate = out["dx"]["moon"]["rangeRateMps"].get<double>();
  EXPECT_NEAR(out["twoStationDopplerHz"].get<double>(),
              -10368e6 * (moon["rangeRateMps"].get<double>() + dxRate) / 299792458.0, 1e-6);
  // The window's standard figure for this pair reads "73° ccw".
  EXPECT_NEAR(out["polarityOffsetDeg"].get<double>(), -73.0, 1.0);
  // The path's delay is the two distances at the speed of light; the
  // spreads and rates are positive figures of the right size at 10 GHz.
  EXPECT_NEAR(out["pathDelayS"].get<double>(),
              (moon["distanceKm"].get<double>() + out["dx"]["moon"]["distanceKm"].get<double>()) *
                  1e3 / 299792458.0,
              1e-6);
  EXPECT_GT(out["home"]["echoSpreadHz"].get<double>(), 10.0);
  EXPECT_LT(out["home"]["echoSpreadHz"].get<double>(), 1000.0);
  EXPECT_GT(out["twoStationSpreadHz"].get<double>(), 10.0);
  EXPECT_LT(std::fabs(out["twoStationDopplerRateHzPerS"].get<double>()), 10.0);
  EXPECT_NEAR(out["home"]["librationLatitudeDeg"].get<double>(), -6.7, 1.0);  // PyEphem, geocentric
}

// UT1 - UTC turns the earth under the moon: half a second moves the hour
// angle by 0.002 degrees.
TEST_F(PreciseCliTest, Ut1MinusUtcTurnsTheEarth) {
  const Outcome utc = Run(With(kNoonPath, {"--json"}));
  const Outcome ut1 = Run(With(kNoonPath, {"--json", "--ut1-utc", "0.5"}));
  ASSERT_EQ(ut1.status, 0) << ut1.err;
  EXPECT_EQ(json::parse(ut1.out)["ut1MinusUtcS"], 0.5);
  EXPECT_NEAR(json::parse(ut1.out)["home"]["moon"]["hourAngleDeg"].get<double>() -
                  json::parse(utc.out)["home"]["moon"]["hourAngleDeg"].get<double>(),
              0.0021, 0.0002);
}

// `doppler` gives each method's receive rate: the echo's own rate, half of
// it on the moon, none when off.
TEST_F(PreciseCliTest, DopplerShowsTheRatesOfEachMethod) {
  const Outcome run = Run({"doppler", "--clock", "946728000", "--freq", "10368000000", "--home",
                           "29.42,95.36", "--dx", "JO62", "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  const json out = json::parse(run.out);
  const double echo = out["echoRateHzPerS"].get<double>();
  EXPECT_NEAR(echo * 60.0, out["echoPerMinuteHz"].get<double>(), 0.5);
  EXPECT_EQ(out["methods"]["echo"]["receiveRateHzPerS"].get<double>(), echo);
  EXPECT_NEAR(out["methods"]["moon"]["receiveRateHzPerS"].get<double>(), echo / 2.0, 1e-9);
  EXPECT_EQ(out["methods"]["off"]["receiveRateHzPerS"].get<double>(), 0.0);
  EXPECT_NEAR(out["methods"]["dx"]["receiveRateHzPerS"].get<double>(),
              out["twoStationRateHzPerS"].get<double>(), 1e-9);
  EXPECT_GT(out["twoStationSpreadHz"].get<double>(), 0.0);
  EXPECT_GT(out["pathDelayS"].get<double>(), 2.5);
}

TEST_F(PreciseCliTest, MoonTextNamesEveryFigure) {
  const Outcome run = Run(kNoonPath);
  ASSERT_EQ(run.status, 0) << run.err;
  for (const char* label : {"Sat Jan  1 12:00:00 2000 UTC",
                            "Doppler at 1296.000000 MHz",
                            "Home  29.4200 N  95.3600 W",
                            "DX  51.5000 N  0.1000 W",
                            "Moon Az.",
                            "refracted",
                            "Distance",
                            "Range rate",
                            "Echo delay",
                            "Declination",
                            "Hour angle",
                            "Right asc.",
                            "Echo Doppler",
                            "Sun El.",
                            "Path Doppler",
                            "Polarity offset",
                            "ccw",
                            "Echo rate",
                            "Echo spread",
                            "Libration",
                            "Path rate",
                            "Path spread",
                            "Path delay"}) {
    EXPECT_THAT(run.out, HasSubstr(label));
  }
}

// Without --station and --gmt-offset the home station and the GMT offset
// come from Dorvakin.dat: four little-endian doubles, latitude, west
// longitude, GMT offset hours, distance unit.
TEST_F(PreciseCliTest, MoonTakesHomeAndOffsetFromTheSettingsFile) {
  const double record[4] = {51.5, 0.1, -1.0, 0.0};
  std::ofstream(folder_ / "Dorvakin.dat", std::ios::binary)
      .write(reinterpret_cast<const char*>(record), sizeof record);
  // 12:00 UTC is 13:00 local standard time one hour east of Greenwich.
  const Outcome run = Run({"moon", "--clock", "946728000", "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  const json out = json::parse(run.out);
  EXPECT_EQ(out["utcSeconds"], 946728000);
  EXPECT_EQ(out["homeLocalText"], "Sat Jan  1 13:00:00 2000");
  EXPECT_EQ(out["home"]["latitudeDeg"], 51.5);
  EXPECT_EQ(out["home"]["longitudeWestDeg"], 0.1);
  EXPECT_EQ(out["dx"], nullptr);
}

TEST_F(PreciseCliTest, DopplerScalesWithFrequency) {
  const Outcome low = Run(With(kNoonPath, {"--freq", "1296000000", "--json"}));
  const Outcome high = Run(With(kNoonPath, {"--freq", "10368e6", "--json"}));
  ASSERT_EQ(low.status, 0) << low.err;
  ASSERT_EQ(high.status, 0) << high.err;
  EXPECT_NEAR(json::parse(high.out)["home"]["echoDopplerHz"].get<double>(),
              8.0 * json::parse(low.out)["home"]["echoDopplerHz"].get<double>(), 1e-6);
}

TEST_F(PreciseCliTest, BadInputGivesOneLineAndStatusTwo) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"moment_before_1960", {"moon", "--clock", "-400000000", "--gmt-offset", "0"}, "1960-2099"},
      {"moment_after_2099", {"moon", "--clock", "4102444800", "--gmt-offset", "0"}, "1960-2099"},
      {"clock_at_int64_limit", {"moon", "--clock", "9223372036854775807"}, "out of range"},
      {"latitude_beyond_pole", {"moon", "--station", "90.5,0"}, "-90..90"},
      {"latitude_nan", {"moon", "--station", "nan,0"}, "not a number"},
      {"height_above_limit", {"moon", "--height", "9000.1"}, "-500..9000"},
      {"height_below_limit", {"moon", "--height", "-501"}, "-500..9000"},
      {"height_nan", {"moon", "--height", "nan"}, "not a number"},
      {"dx_height_alone", {"moon", "--dx-height", "10"}, "needs --dx"},
      {"frequency_negative", {"moon", "--freq", "-5"}, "--freq"},
      {"frequency_infinite", {"moon", "--freq", "inf"}, "--freq"},
      {"gmt_offset_past_the_zones", {"moon", "--gmt-offset", "15"}, "-14..14"},
      {"ut1_beyond_a_second", {"moon", "--ut1-utc", "1.5"}, "--ut1-utc"},
      {"ut1_not_a_number", {"moon", "--ut1-utc", "nan"}, "--ut1-utc"},
      {"selftest_count_zero", {"selftest", "--count", "0"}, "--count"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome run = Run(c.args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_THAT(run.err, HasSubstr(c.message));
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
}

TEST_F(PreciseCliTest, SelftestReportsTheSpreads) {
  const Outcome run = Run({"selftest", "--count", "300", "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  const json out = json::parse(run.out);
  EXPECT_EQ(out["count"], 300);
  for (const char* key : {"directionDeg", "geocentricDistanceKm", "geocentricRangeRateMps",
                          "echoDoppler1296MHzHz", "echoDoppler10368MHzHz"}) {
    SCOPED_TRACE(key);
    const json& s = out[key];
    EXPECT_GT(s["median"].get<double>(), 0.0);
    EXPECT_LE(s["median"].get<double>(), s["p95"].get<double>());
    EXPECT_LE(s["p95"].get<double>(), s["max"].get<double>());
  }
  // The standard theory is good to a few hundredths of a degree; the echo
  // Doppler at 10368 MHz is the 1296 MHz figure times eight.
  EXPECT_LT(out["directionDeg"]["max"].get<double>(), 0.05);
  EXPECT_NEAR(out["echoDoppler10368MHzHz"]["max"].get<double>(),
              8.0 * out["echoDoppler1296MHzHz"]["max"].get<double>(), 1e-6);

  const Outcome text = Run({"selftest", "--count", "300"});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_THAT(text.out, HasSubstr("echo Doppler at 10368 MHz (Hz)"));
}

}  // namespace
