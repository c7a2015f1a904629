// Spatial polarity offset between the two stations.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <numbers>
#include <optional>
#include <utility>
#include <random>
#include <string>

#include "link/polarity.h"

namespace kelvora {
namespace {

// Two characters of whole degrees (a blank before a single digit), the
// degree sign, and the sense.
bool IsOffsetText(const std::string& text) {
  const std::string digits = text.substr(0, 2);
  const bool number = digits.size() == 2 && (digits[0] == ' ' || std::isdigit(static_cast<unsigned char>(digits[0]))) &&
                      std::isdigit(static_cast<unsigned char>(digits[1]));
  const std::string rest = text.size() > 2 ? text.substr(2) : "";
  return number && (rest == "° cw" || rest == "° ccw");
}

TEST(ComputePolarityOffset, StationsOnTheEquatorOrZeroMeridianAreComputed) {
  for (const auto& [lat2, lon2] : {std::pair{0.0, 10.0}, {10.0, 0.0}, {51.5, 0.1}}) {
    const PolarityOffset offset = ComputePolarityOffset(1.0, 0.2, 29.42, 95.36, lat2, lon2);
    EXPECT_GE(offset.degrees, 0.0);
    EXPECT_LE(offset.degrees, 90.0);
    EXPECT_EQ(offset.degrees, std::trunc(offset.degrees));
    EXPECT_TRUE(IsOffsetText(PolarityOffsetText(offset))) << PolarityOffsetText(offset);
  }
}

TEST(PolarityOffsetText, NoOffsetIsNotApplicable) {
  EXPECT_EQ(PolarityOffsetText(std::optional<PolarityOffset>{}), "N/A");
  EXPECT_EQ(PolarityOffsetText(std::optional<PolarityOffset>(PolarityOffset{0, 0, 7.0, false})),
            " 7° ccw");
}

TEST(ComputePolarityOffset, SamePlaceIsZeroClockwise) {
  // Also with the moon below both horizons (hour angle opposite the station).
  EXPECT_EQ(PolarityOffsetText(ComputePolarityOffset(1.0, 0.2, 29.42, 95.36, 29.42, 95.36)),
            " 0° cw");
  EXPECT_EQ(PolarityOffsetText(ComputePolarityOffset(4.8, -0.3, 29.42, 95.36, 29.42, 95.36)),
            " 0° cw");
}

TEST(PolarityOffsetText, RoundingAndSenseTable) {
  struct Row {
    const char* name;
    double p1;
    double p2;
    const char* text;
  } rows[] = {
      {"exactly_90_home_smaller_is_cw", 10.0, 100.0, "90° cw"},
      {"exactly_90_home_larger_is_ccw", 100.0, 10.0, "90° ccw"},
      {"d_135_4_home_smaller_shows_45_ccw", 10.0, 145.4, "45° ccw"},
      {"d_135_4_home_larger_shows_45_cw", 145.4, 10.0, "45° cw"},
      {"half_rounds_up", 20.0, 32.5, "13° cw"},
      {"below_half_rounds_down", 20.0, 32.25, "12° cw"},
      {"forty_ccw", 40.0, 0.0, "40° ccw"},
      {"d_180_is_0_reversed", 0.0, 180.0, " 0° ccw"},
      {"d_90_5_rounds_to_91_shows_89", 0.0, 90.5, "89° ccw"},
      {"equal_angles", 33.0, 33.0, " 0° cw"},
  };
  for (const Row& r : rows) {
    const PolarityOffset offset = PolarityOffsetBetween(r.p1, r.p2);
    EXPECT_EQ(offset.homeAngle, r.p1) << r.name;
    EXPECT_EQ(offset.station2Angle, r.p2) << r.name;
    EXPECT_EQ(PolarityOffsetText(offset), r.text) << r.name;
  }
}

// Independent reference: the parallactic angle of the textbook (tan q =
// sin H / (tan phi cos dec - sin dec cos H), H the local hour angle); the
// polarity angle is 90 degrees minus it, taken modulo 180.
double ReferenceAngle(double hourAngle, double dec, double latDeg, double westLonDeg) {
  const double rad = std::numbers::pi / 180.0;
  const double h = hourAngle - westLonDeg * rad;
  const double phi = latDeg * rad;
  const double q = std::atan2(std::sin(h), std::tan(phi) * std::cos(dec) - std::sin(dec) * std::cos(h));
  return std::fmod(std::fmod(90.0 - q / rad, 180.0) + 180.0, 180.0);
}

TEST(PolarityAngle, AgreesWithTheParallacticAngle) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> g(0.0, 6.28318530718);
  std::uniform_real_distribution<double> dec(-0.5, 0.5);
  std::uniform_real_distribution<double> lat(-80.0, 80.0);
  std::uniform_real_distribution<double> lon(-180.0, 180.0);
  for (int i = 0; i < 5000; ++i) {
    const double a = g(rng), d = dec(rng), la = lat(rng), lo = lon(rng);
    const double p = PolarityAngle(a, d, la, lo);
    ASSERT_GE(p, 0.0);
    ASSERT_LE(p, 180.0);
    const double gap = std::fabs(p - ReferenceAngle(a, d, la, lo));
    ASSERT_LT(std::fmin(gap, 180.0 - gap), 1e-6) << a << " " << d << " " << la << " " << lo;
  }
}

// Where the formula divides by zero: the moon in a station's zenith (z = 1,
// hour angle equal to the longitude, declination equal to the latitude), a
// station at a pole, the moon on a station's meridian.
TEST(PolarityAngle, DegeneratePointsGiveANumber) {
  struct Row {
    const char* name;
    double hourAngle;
    double dec;
    double lat;
    double lon;
  } rows[] = {
      // Hour angle equal to the longitude in radians: z is exactly 1.
      {"zenith_on_the_equator", 10.0 * 0.017453292519944444, 0.0, 0.0, 10.0},
      {"zenith_at_declination", 0.0, 0.3, 0.3 * 57.29577951307855, 0.0},
      {"north_pole", 1.0, 0.2, 90.0, 0.0},
      {"south_pole", 1.0, 0.2, -90.0, 45.0},
      {"meridian_transit", 0.0, 0.2, 40.0, 0.0},
      {"meridian_opposite", std::numbers::pi, 0.2, 40.0, 0.0},
  };
  for (const Row& r : rows) {
    const double p = PolarityAngle(r.hourAngle, r.dec, r.lat, r.lon);
    EXPECT_TRUE(std::isfinite(p)) << r.name;
    EXPECT_GE(p, 0.0) << r.name;
    EXPECT_LE(p, 180.0) << r.name;
    const std::string text =
        PolarityOffsetText(ComputePolarityOffset(r.hourAngle, r.dec, 29.42, 95.36, r.lat, r.lon));
    EXPECT_TRUE(IsOffsetText(text)) << r.name << ": " << text;
    const std::string swapped =
        PolarityOffsetText(ComputePolarityOffset(r.hourAngle, r.dec, r.lat, r.lon, 29.42, 95.36));
    EXPECT_TRUE(IsOffsetText(swapped)) << r.name << ": " << swapped;
  }
}

TEST(ComputePolarityOffset, SwappingStationsReversesTheSense) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> lat(-70.0, 70.0);
  std::uniform_real_distribution<double> lon(-180.0, 180.0);
  for (int i = 0; i < 500; ++i) {
    const double a = lat(rng), b = lon(rng), c = lat(rng), d = lon(rng);
    const double p1 = PolarityAngle(2.0, 0.1, a, b);
    const double p2 = PolarityAngle(2.0, 0.1, c, d);
    const double diff = std::fabs(p1 - p2);
    if (std::fabs(diff - 90.0) < 0.6 || diff < 0.6 || diff > 179.4) {
      continue;  // a value of 0 or 90 keeps its sense word
    }
    const PolarityOffset there = ComputePolarityOffset(2.0, 0.1, a, b, c, d);
    const PolarityOffset back = ComputePolarityOffset(2.0, 0.1, c, d, a, b);
    ASSERT_EQ(there.degrees, back.degrees);
    ASSERT_NE(there.clockwise, back.clockwise);
  }
}

}  // namespace
}  // namespace kelvora
