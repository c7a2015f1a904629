// Region that sees a body, as a polygon on the earth map.
#include <gtest/gtest.h>

#include <cmath>

#include "astro/footprint.h"
#include "astro/map_projection.h"
#include "astro/time_helpers.h"

namespace kelvora {
namespace {

constexpr double kDeg = 0.017453292519944444;

TEST(CircleTables, TwoDegreeSteps) {
  const CircleTables tables = BuildCircleTables();
  for (int k = 0; k < kCircleSteps; ++k) {
    EXPECT_NEAR(tables.circleSin[k], std::sin(k * 2 * M_PI / 180), 1e-10) << k;
    EXPECT_NEAR(tables.circleCos[k], std::cos(k * 2 * M_PI / 180), 1e-10) << k;
  }
}

// Great-circle angle in degrees between two points (latitude, west longitude).
double AngleBetween(double lat1, double lon1, double lat2, double lon2) {
  const double c = std::sin(lat1 * kDeg) * std::sin(lat2 * kDeg) +
                   std::cos(lat1 * kDeg) * std::cos(lat2 * kDeg) * std::cos((lon1 - lon2) * kDeg);
  return std::acos(std::fmax(-1.0, std::fmin(1.0, c))) / kDeg;
}

TEST(VisibilityFootprint, SolsticesCloseAlongTheLitEdge) {
  struct Row {
    const char* name;
    double declination;  // degrees
    double hourAngle;    // degrees
    int edgeRow;
  };
  const Row rows[] = {
      {"june_solstice", 23.44, 100.0, 170},
      {"december_solstice", -23.44, 100.0, 473},
      {"june_sub_point_east", 23.44, 300.0, 170},
      {"moon_far_south", -28.0, 10.0, 473},
  };
  const CircleTables circles = BuildCircleTables();
  for (const auto& row : rows) {
    const Footprint f =
        VisibilityFootprint(1000000, row.declination * kDeg, row.hourAngle * kDeg, circles);
    ASSERT_EQ(f.count, 181) << row.name;
    EXPECT_EQ(f.points[0], (MapPoint{1, row.edgeRow})) << row.name;
    EXPECT_EQ(f.points[1].x, 1) << row.name;
    EXPECT_EQ(f.points[178].x, 429) << row.name;
    EXPECT_EQ(f.points[179], (MapPoint{429, row.edgeRow})) << row.name;
    EXPECT_EQ(f.points[180], (MapPoint{1, row.edgeRow})) << row.name;
    for (int i = 1; i < 180; ++i) {
      EXPECT_LE(f.points[i - 1].x, f.points[i].x) << row.name << " " << i;  // sorted
      EXPECT_LE(f.points[i].x, 429) << row.name;
      EXPECT_GE(f.points[i].y, 148) << row.name;
      EXPECT_LE(f.points[i].y, 473) << row.name;
    }
    // Each outline point (inside the map's latitude limits) lies 90 degrees
    // from the sub-point, within the map's pixel size and the one-row offset
    // of the inverse conversion.
    for (int i = 2; i < 178; ++i) {
      const MapPoint p = f.points[i];
      if (p.y <= 148 + 24 || p.y >= 473) continue;
      const double lat = MapLatitudeForY(p.y);
      const double lon = MapLongitudeForX(p.x);
      EXPECT_NEAR(AngleBetween(lat, lon, row.declination, row.hourAngle), 90.0, 1.5)
          << row.name << " point " << i << " (" << p.x << ", " << p.y << ")";
    }
  }
}

TEST(VisibilityFootprint, EquinoxBand) {
  const CircleTables circles = BuildCircleTables();
  // Sub-point at Greenwich (column 322): band 217..427, one rectangle.
  const Footprint greenwich = VisibilityFootprint(384400, 0.5 * kDeg, 0.0, circles);
  ASSERT_EQ(greenwich.count, 5);
  const MapPoint rect[] = {{217, 171}, {427, 171}, {427, 474}, {217, 474}, {217, 171}};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(greenwich.points[i], rect[i]) << i;
  EXPECT_EQ(rect[1].x - rect[0].x, 210);

  // Sub-point at 294.9 W (column 322 + 1.2 * 65.1 = 400): the band wraps,
  // 400 + 105 - 429 = 76 and 400 - 105 = 295: two rectangles.
  const Footprint wrapped = VisibilityFootprint(384400, -0.5 * kDeg, 294.9 * kDeg, circles);
  ASSERT_EQ(wrapped.count, 10);
  const MapPoint two[] = {{1, 171},   {76, 171},  {76, 474},  {1, 474},   {1, 171},
                          {295, 171}, {429, 171}, {429, 474}, {295, 474}, {295, 171}};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(wrapped.points[i], two[i]) << i;

  // Just outside the band limit the outline is drawn instead.
  EXPECT_EQ(VisibilityFootprint(384400, 1.02 * kDeg, 0.0, circles).count, 181);
  EXPECT_EQ(VisibilityFootprint(384400, 1.0 * kDeg, 0.0, circles).count, 5);
}

TEST(CircleTables, RowStepsCoverEveryRowOfTheMap) {
  // One step per row between the rows of the two poles (the map holds them
  // at its edges), so that the outline never falls back to the full formula
  // away from a step.
  const CircleTables tables = BuildCircleTables();
  EXPECT_EQ(tables.southmostRow, MapYForLatitude(90.0));
  EXPECT_EQ(tables.rowSteps, MapYForLatitude(-90.0) - MapYForLatitude(90.0));
}

TEST(VisibilityFootprint, RowTableGivesTheRowsOfTheFullFormula) {
  // The same outlines with the row table and without it (every row in full).
  const CircleTables table = BuildCircleTables();
  CircleTables full = table;
  full.rowSteps = 0;
  for (double declination = -28.0; declination <= 28.0; declination += 0.37) {
    for (double hourAngle = 0.0; hourAngle < 360.0; hourAngle += 7.3) {
      const Footprint a = VisibilityFootprint(384400, declination * kDeg, hourAngle * kDeg, table);
      const Footprint b = VisibilityFootprint(384400, declination * kDeg, hourAngle * kDeg, full);
      ASSERT_EQ(a.points, b.points) << declination << " " << hourAngle;
    }
  }
}

}  // namespace
}  // namespace kelvora
