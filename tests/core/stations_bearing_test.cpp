// Great-circle bearing and distance between two stations.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>

#include "stations/bearing.h"

namespace kelvora {
namespace {

constexpr double kKmPerMile = 1.6093;

// Independent reference: the haversine distance on a sphere of radius
// 138.1 / 2 miles per 1/57.2958 radian (3956.2 mi), and the textbook initial
// course atan2(sin dL cos f2, cos f1 sin f2 - sin f1 cos f2 cos dL), with
// longitudes turned east positive.
struct Reference {
  double bearing;
  double miles;
};

Reference GreatCircle(double lat1, double westLon1, double lat2, double westLon2) {
  const double rad = std::numbers::pi / 180.0;
  const double f1 = lat1 * rad;
  const double f2 = lat2 * rad;
  const double dl = (-westLon2 + westLon1) * rad;
  const double hav = std::pow(std::sin((f2 - f1) / 2), 2) +
                     std::cos(f1) * std::cos(f2) * std::pow(std::sin(dl / 2), 2);
  const double central = 2 * std::asin(std::sqrt(hav));
  const double radiusMiles = 138.1 / 2 * 57.29582790879777;
  double course = std::atan2(std::sin(dl) * std::cos(f2),
                             std::cos(f1) * std::sin(f2) - std::sin(f1) * std::cos(f2) * std::cos(dl));
  course = std::fmod(course / rad + 360.0, 360.0);
  return {course, central * radiusMiles};
}

double AngleGap(double a, double b) {
  const double d = std::fabs(a - b);
  return std::fmin(d, 360.0 - d);
}

TEST(BearingAndDistance, ReferencePathHoustonToLondon) {
  const BearingDistance miles = BearingAndDistance(29.42, 95.36, 51.5, 0.1, 1);
  EXPECT_NEAR(miles.bearing, 41.1, 0.05);
  EXPECT_NEAR(miles.miles, 4864.0, 1.0);
  EXPECT_EQ(miles.distance, miles.miles);
  EXPECT_EQ(miles.bearingText, "41°");

  char expectMiles[32];
  char expectKm[32];
  std::snprintf(expectMiles, sizeof expectMiles, "%7.1f", miles.miles);
  std::snprintf(expectKm, sizeof expectKm, "%7.1f", miles.miles * kKmPerMile);
  EXPECT_EQ(miles.mileText, expectMiles);
  EXPECT_EQ(miles.kmText, expectKm);
  EXPECT_EQ(miles.mileText.size(), 7u);
  EXPECT_EQ(miles.mileText.substr(0, 4), " 486");

  // Kilometres as the distance result; both texts stay as they are.
  const BearingDistance km = BearingAndDistance(29.42, 95.36, 51.5, 0.1, 0);
  EXPECT_DOUBLE_EQ(km.distance, miles.miles * kKmPerMile);
  EXPECT_EQ(km.kmText, miles.kmText);
  EXPECT_EQ(km.mileText, miles.mileText);
}

TEST(BearingAndDistance, AgreesWithTheTextbookGreatCircle) {
  struct Row {
    const char* name;
    double lat1, lon1, lat2, lon2;
  } rows[] = {
      {"houston_to_london", 29.42, 95.36, 51.5, 0.1},
      {"london_to_sydney_east", 51.5, 0.1, -33.85, -151.21},
      {"sydney_to_santiago_south", -33.85, -151.21, -33.45, 70.66},
      {"across_the_date_line", 21.3, 157.8, 35.7, -139.7},
      {"cape_town_to_anchorage", -33.9, -18.4, 61.2, 149.9},
      {"equator_eastward", 0.0, 10.0, 0.5, -30.0},
      {"southern_westward", -40.0, -170.0, -10.0, 60.0},
  };
  for (const Row& r : rows) {
    const BearingDistance got = BearingAndDistance(r.lat1, r.lon1, r.lat2, r.lon2, 1);
    const Reference ref = GreatCircle(r.lat1, r.lon1, r.lat2, r.lon2);
    EXPECT_LT(AngleGap(got.bearing, ref.bearing), 0.05) << r.name << " " << got.bearing;
    EXPECT_NEAR(got.miles, ref.miles, ref.miles * 1e-4 + 0.1) << r.name;
  }
}

TEST(BearingAndDistance, DueNorthAndSouthShowNoMinusSign) {
  // Along the zero meridian the analogies end in -0 (north) and -180 (south).
  struct Row {
    const char* name;
    double lat1, lon1, lat2, lon2;
    const char* text;
  } rows[] = {
      {"due_north_zero_meridian", 10.0, 0.0, 20.0, 0.0, " 0°"},
      {"due_south_zero_meridian", 20.0, 0.0, 10.0, 0.0, "180°"},
  };
  for (const Row& r : rows) {
    const BearingDistance got = BearingAndDistance(r.lat1, r.lon1, r.lat2, r.lon2, 1);
    EXPECT_EQ(got.bearingText, r.text) << r.name;
    EXPECT_FALSE(std::signbit(got.bearing)) << r.name;
    // Ten degrees of latitude: 10/360 of the circumference of radius 3956.2 mi.
    EXPECT_NEAR(got.miles, 690.5, 0.5) << r.name;
  }
}

TEST(BearingAndDistance, SamePointIsNearZeroAndWellFormed) {
  const BearingDistance same = BearingAndDistance(29.42, 95.36, 29.42, 95.36, 1);
  EXPECT_LT(same.miles, 0.01);  // the 1e-6 radian shift is 0.004 mi
  EXPECT_GE(same.bearing, 0.0);
  EXPECT_LT(same.bearing, 360.0);
  EXPECT_EQ(same.bearingText.find('-'), std::string::npos);
  EXPECT_EQ(same.mileText, "    0.0");
}

TEST(BearingAndDistance, PropertiesOverRandomPairs) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> lat(-85.0, 85.0);
  std::uniform_real_distribution<double> lon(-179.99, 179.99);
  for (int i = 0; i < 5000; ++i) {
    const double a = lat(rng), b = lon(rng), c = lat(rng), d = lon(rng);
    const BearingDistance there = BearingAndDistance(a, b, c, d, 1);
    const BearingDistance back = BearingAndDistance(c, d, a, b, 1);
    ASSERT_GE(there.bearing, 0.0);
    ASSERT_LT(there.bearing, 360.0);
    ASSERT_EQ(there.bearingText.find('-'), std::string::npos);
    // Distance is symmetric up to the latitude shift and the turn of
    // 6.28318 used to wrap longitudes (5.3e-6 rad short of 2pi: 0.02 mi).
    ASSERT_NEAR(there.miles, back.miles, 0.05) << a << " " << b << " " << c << " " << d;
    const Reference ref = GreatCircle(a, b, c, d);
    ASSERT_NEAR(there.miles, ref.miles, ref.miles * 1e-4 + 0.1);
    if (ref.miles > 10.0 && ref.miles < 12000.0) {
      ASSERT_LT(AngleGap(there.bearing, ref.bearing), 0.05) << a << " " << b << " " << c << " " << d;
    }
  }
}

}  // namespace
}  // namespace kelvora
