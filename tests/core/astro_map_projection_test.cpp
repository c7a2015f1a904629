// Earth-map columns and rows for longitudes and latitudes, and back.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "astro/map_projection.h"

namespace kelvora {
namespace {

TEST(EarthMap, ColumnsForLongitude) {
  struct Row {
    const char* name;
    double longitude;
    int column;
  };
  const Row rows[] = {
      {"greenwich", 0, 322},     {"ninety_west", 90, 214}, {"ninety_east", -90, 0},
      {"two_seventy_west", 270, 0}, {"past_the_seam", 271, 428}, {"forty_five_east", -45, 376},
  };
  for (const auto& row : rows) EXPECT_EQ(MapXForLongitude(row.longitude), row.column) << row.name;
}

TEST(EarthMap, AbsurdLongitudesStillGiveAColumn) {
  // A damaged settings file can hold any double; the column must stay a
  // defined integer (far off the map) instead of overflowing the conversion.
  EXPECT_LT(MapXForLongitude(1.0e12), 0);
  EXPECT_GT(MapXForLongitude(-1.0e12), 430);
  EXPECT_LT(MapXForLongitude(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(EarthMap, RowsForLatitude) {
  struct Row {
    const char* name;
    double latitude;
    int row;
  };
  const Row rows[] = {
      {"equator", 0, 214},          {"forty_five_north", 45, 154}, {"north_limit", 82.9, 24},
      {"south_limit", -68.2, 327},  {"beyond_north_limit", 89, 24}, {"beyond_south_limit", -80, 327},
  };
  for (const auto& row : rows) EXPECT_EQ(MapYForLatitude(row.latitude), row.row) << row.name;
}

TEST(EarthMap, InverseConversions) {
  EXPECT_NEAR(MapLongitudeForX(0), -90, 1e-9);
  EXPECT_NEAR(MapLongitudeForX(108), -179.99964, 1e-9);
  EXPECT_NEAR(MapLongitudeForX(109), 179.15888, 1e-9);
  EXPECT_NEAR(MapLongitudeForX(430), -90.4932, 1e-9);
  EXPECT_NEAR(MapLatitudeForY(361), 0, 1e-4);
  EXPECT_NEAR(MapLatitudeForY(200), 79.13, 0.005);
  EXPECT_NEAR(MapLatitudeForY(522), -79.13, 0.005);
}

TEST(EarthMap, RoundTripWithinAPixel) {
  // Column -> longitude -> column, and latitude -> window row -> latitude.
  for (int column = 1; column < 430; ++column) {
    const int back = MapXForLongitude(MapLongitudeForX(column));
    EXPECT_LE(std::abs(back - column), 1) << column;
  }
  for (double lat = -68; lat <= 82; lat += 0.5) {
    const double back = MapLatitudeForY(MapYForLatitude(lat) + 148 - 1);
    EXPECT_NEAR(back, lat, 1.0) << lat;
  }
}

}  // namespace
}  // namespace kelvora
