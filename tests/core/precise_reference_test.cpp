// Accuracy of the accurate figures against an independent reference:
// tests/data/precise/reference.csv, made with swetest (see the README
// there). The standard theory's spread against the same table is printed
// beside them, so the two can be read together.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "link/angles.h"
#include "precise/precise.h"
#include "selftest/compare.h"

namespace kelvora::precise {
namespace {

using selftest::Spread;
using selftest::SpreadOf;
using selftest::StandardFiguresAt;

double SeparationDeg(double az1, double el1, double az2, double el2) {
  return AngularSeparationDeg(az1, el1, az2, el2);
}

struct ReferenceRow {
  std::int64_t utc;
  Site site;
  double moonAzimuth, moonElevation;         // apparent place, degrees
  double moonDistanceKm, moonRangeRateMps;   // geometric, topocentric
  double moonGeocentricKm, moonGeocentricRateMps;
  double sunAzimuth, sunElevation;           // apparent place, degrees
};

std::vector<ReferenceRow> ReadReference() {
  std::ifstream in(std::string(KELVORA_RESOURCE_DIR) + "/../tests/data/precise/reference.csv");
  std::vector<ReferenceRow> rows;
  std::string line;
  bool header = true;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (header) {
      header = false;
      continue;
    }
    std::istringstream fields(line);
    std::vector<double> v;
    std::string field;
    while (std::getline(fields, field, ',')) v.push_back(std::stod(field));
    if (v.size() != 12) {
      ADD_FAILURE() << "reference row with " << v.size() << " fields: " << line;
      continue;
    }
    rows.push_back({static_cast<std::int64_t>(v[0]), Site{v[1], v[2], v[3]}, v[4], v[5], v[6],
                    v[7], v[8], v[9], v[10], v[11]});
  }
  return rows;
}

// One line of the report; the standard theory has no figure for some rows.
void Print(const char* what, const Spread& accurate, const Spread* standard) {
  std::printf("  %-38s %9.5f %9.5f %9.5f |", what, accurate.median, accurate.p95, accurate.max);
  if (standard != nullptr) {
    std::printf(" %9.5f %9.5f %9.5f\n", standard->median, standard->p95, standard->max);
  } else {
    std::printf("         -\n");
  }
}

TEST(PreciseReference, MeetsTheAccuracyTargets) {
  const std::vector<ReferenceRow> rows = ReadReference();
  ASSERT_GE(rows.size(), 500u) << "reference table missing or short";

  std::vector<double> direction, geometricDirection, distance, rangeRate, rangeRateUp,
      geoDistance, geoRangeRate, sunDirection;
  std::vector<double> stdDirection, stdSunDirection, stdGeoDistance, stdGeoRangeRate, stdRangeRate, stdRangeRateUp;
  for (const ReferenceRow& row : rows) {
    const auto moment = PrepareMoment(row.utc);
    ASSERT_TRUE(moment.ok()) << row.utc;
    const auto fix = PreciseMoon(*moment, row.site);
    const auto seen = MoonLightDirection(*moment, row.site);
    const auto sun = PreciseSun(*moment, row.site);
    ASSERT_TRUE(fix && seen && sun) << row.utc;
    // Like with like: the reference gives the apparent place.
    direction.push_back(
        SeparationDeg(seen->azimuthDeg, seen->elevationDeg, row.moonAzimuth, row.moonElevation));
    geometricDirection.push_back(
        SeparationDeg(fix->azimuthDeg, fix->elevationDeg, row.moonAzimuth, row.moonElevation));
    distance.push_back(std::fabs(fix->distanceKm - row.moonDistanceKm));
    rangeRate.push_back(std::fabs(fix->rangeRateMps - row.moonRangeRateMps));
    geoDistance.push_back(std::fabs(fix->geocentricDistanceKm - row.moonGeocentricKm));
    geoRangeRate.push_back(std::fabs(fix->geocentricRangeRateMps - row.moonGeocentricRateMps));
    sunDirection.push_back(
        SeparationDeg(sun->azimuthDeg, sun->elevationDeg, row.sunAzimuth, row.sunElevation));

    const auto standard = StandardFiguresAt(row.site, row.utc);
    ASSERT_TRUE(standard.ok()) << row.utc << ": " << standard.reason();
    stdDirection.push_back(SeparationDeg(standard->azimuthDeg, standard->elevationDeg,
                                         row.moonAzimuth, row.moonElevation));
    stdSunDirection.push_back(SeparationDeg(standard->sunAzimuthDeg, standard->sunElevationDeg,
                                            row.sunAzimuth, row.sunElevation));
    stdGeoDistance.push_back(std::fabs(standard->geocentricDistanceKm - row.moonGeocentricKm));
    stdGeoRangeRate.push_back(
        std::fabs(standard->geocentricRangeRateMps - row.moonGeocentricRateMps));
    stdRangeRate.push_back(std::fabs(standard->rangeRateMps - row.moonRangeRateMps));
    if (fix->elevationDeg > 0.0) {
      rangeRateUp.push_back(rangeRate.back());
      stdRangeRateUp.push_back(stdRangeRate.back());
    }
  }

  const Spread moon = SpreadOf(direction);
  const Spread topoDistance = SpreadOf(distance);
  const Spread topoRate = SpreadOf(rangeRate);
  const Spread topoRateUp = SpreadOf(rangeRateUp);
  const Spread sunSpread = SpreadOf(sunDirection);
  std::printf("%zu moments; accurate median p95 max | standard median p95 max\n", rows.size());
  const Spread stdMoon = SpreadOf(stdDirection);
  const Spread stdRate = SpreadOf(stdRangeRate);
  const Spread stdRateUp = SpreadOf(stdRangeRateUp);
  const Spread stdGeoDistanceSpread = SpreadOf(stdGeoDistance);
  const Spread stdGeoRate = SpreadOf(stdGeoRangeRate);
  Print("moon direction, apparent (deg)", moon, &stdMoon);
  Print("moon direction, geometric (deg)", SpreadOf(geometricDirection), &stdMoon);
  Print("topocentric distance (km)", topoDistance, nullptr);
  Print("topocentric range rate (m/s)", topoRate, &stdRate);
  Print("the same, moon above the horizon (m/s)", topoRateUp, &stdRateUp);
  Print("geocentric distance (km)", SpreadOf(geoDistance), &stdGeoDistanceSpread);
  Print("geocentric range rate (m/s)", SpreadOf(geoRangeRate), &stdGeoRate);
  const Spread stdSun = SpreadOf(stdSunDirection);
  Print("sun direction (deg)", sunSpread, &stdSun);

  EXPECT_LE(moon.p95, 0.005);
  EXPECT_LE(moon.max, 0.01);
  EXPECT_LE(topoDistance.max, 15.0);
  // The range rate is limited by the moon series itself (eraMoon98, whose
  // authors give 0.17 m/s as its worst velocity error): the target of
  // 0.06 m/s holds for 95 per cent of the moments and for this table's
  // moments with the moon up, but not for every moment (0.066 m/s here,
  // 0.075 m/s over 4000 others). The bound below guards what it reaches.
  ASSERT_GE(rangeRateUp.size(), 250u);
  EXPECT_LE(topoRate.p95, 0.06);
  EXPECT_LE(topoRateUp.max, 0.06);
  EXPECT_LE(topoRate.max, 0.08);
  EXPECT_LE(sunSpread.max, 0.005);
  // The standard figures' range rate, heights included, as the radio's
  // fallback uses it.
  EXPECT_LE(stdRate.max, 0.5);
}

}  // namespace
}  // namespace kelvora::precise
