// The committed map pictures: their format, and that the earth map's land and
// coasts and the sky map's grid and marks lie where the program's own
// conversions put a marker for the same place.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "astro/map_projection.h"
#include "astro/time_helpers.h"

namespace kelvora {
namespace {

using Rgb = std::array<int, 3>;

// An uncompressed 4-bit BMP as the generators in tools/ write it.
struct IndexedPicture {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  std::array<Rgb, 16> palette{};
  std::vector<std::uint8_t> pixels;  // palette indices, top row first

  int At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
  Rgb ColourAt(int x, int y) const { return palette[static_cast<std::size_t>(At(x, y))]; }
};

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

std::optional<IndexedPicture> ReadBmp4(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<std::uint8_t> b{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (b.size() < 118 || b[0] != 'B' || b[1] != 'M') return std::nullopt;
  IndexedPicture p;
  const std::uint32_t dataOffset = Le32(b, 10);
  p.width = static_cast<int>(Le32(b, 18));
  p.height = static_cast<int>(Le32(b, 22));
  p.bitsPerPixel = b[28] | (b[29] << 8);
  if (p.bitsPerPixel != 4 || Le32(b, 30) != 0 || p.width <= 0 || p.height <= 0) return std::nullopt;
  for (std::size_t i = 0; i < 16; ++i) {
    const std::size_t at = 54 + 4 * i;
    p.palette[i] = {b[at + 2], b[at + 1], b[at]};
  }
  const std::size_t rowBytes = (static_cast<std::size_t>(p.width) * 4 + 31) / 32 * 4;
  if (b.size() < dataOffset + rowBytes * static_cast<std::size_t>(p.height)) return std::nullopt;
  p.pixels.resize(static_cast<std::size_t>(p.width * p.height));
  for (int y = 0; y < p.height; ++y) {
    const std::size_t row = dataOffset + static_cast<std::size_t>(p.height - 1 - y) * rowBytes;  // bottom-up
    for (int x = 0; x < p.width; ++x) {
      const std::uint8_t byte = b[row + static_cast<std::size_t>(x / 2)];
      p.pixels[static_cast<std::size_t>(y * p.width + x)] = (x % 2) ? (byte & 0x0f) : (byte >> 4);
    }
  }
  return p;
}

constexpr int kPictureTop = 170;  // window row of picture row 0
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kTeal{0, 128, 128};

class EarthMapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto read = ReadBmp4(std::string(KELVORA_RESOURCE_DIR) + "/earth_map.bmp");
    ASSERT_TRUE(read.has_value()) << "resources/earth_map.bmp is missing or not a 4-bit BMP";
    map = *read;
  }

  // Picture pixel where the program puts the marker of a place.
  static std::pair<int, int> PixelOf(double latitude, double westLongitude) {
    return {MapXForLongitude(westLongitude), MapYForLatitude(latitude) + 148 - kPictureTop};
  }

  // Land is coast or dotted fill; the fill sets one pixel in every aligned
  // 2 x 2 block, so any land pixel has a coloured pixel within one step.
  bool LooksLikeLand(int x, int y) const {
    for (int dy = 0; dy <= 1; ++dy) {
      for (int dx = 0; dx <= 1; ++dx) {
        if (map.ColourAt(x - x % 2 + dx, y - y % 2 + dy) != kBlack) return true;
      }
    }
    return false;
  }

  // Open sea: nothing but black for two pixels around.
  bool LooksLikeOpenSea(int x, int y) const {
    for (int dy = -2; dy <= 2; ++dy) {
      for (int dx = -2; dx <= 2; ++dx) {
        if (map.ColourAt(x + dx, y + dy) != kBlack) return false;
      }
    }
    return true;
  }

  IndexedPicture map;
};

TEST_F(EarthMapTest, IsA431By305SixteenColourPictureWithTealOnBlack) {
  EXPECT_EQ(map.width, 431);
  EXPECT_EQ(map.height, 305);
  EXPECT_EQ(map.bitsPerPixel, 4);
  std::set<Rgb> used;
  for (int y = 0; y < map.height; ++y) {
    for (int x = 0; x < map.width; ++x) used.insert(map.ColourAt(x, y));
  }
  EXPECT_EQ(used, (std::set<Rgb>{kBlack, kTeal}));
}

struct Place {
  const char* name;
  double latitude;       // degrees, north positive
  double westLongitude;  // degrees, west positive
};

// Well inside a continent or an ocean (positions read off an atlas), so that
// a pixel or two of rounding cannot change the answer. Places east of 90 E
// lie on the left part of the map, reached westward across 180 degrees.
TEST_F(EarthMapTest, InlandPlacesAreLand) {
  const Place kInland[] = {
      {"central_sahara", 23.0, -5.0},
      {"central_australia", -25.0, -134.0},
      {"central_brazil", -10.0, 50.0},
      {"kansas", 39.0, 98.0},
      {"central_siberia", 62.0, -100.0},
      {"central_india", 22.0, -78.0},
      {"west_china", 35.0, -90.5},
      {"chukotka_west_of_180", 67.0, -175.0},
      {"alaska", 64.0, 155.0},
      {"greenland", 75.0, 40.0},
  };
  for (const Place& p : kInland) {
    const auto [x, y] = PixelOf(p.latitude, p.westLongitude);
    EXPECT_TRUE(LooksLikeLand(x, y)) << p.name << " at pixel " << x << ", " << y;
  }
}

TEST_F(EarthMapTest, OpenOceanIsBlack) {
  const Place kOcean[] = {
      {"mid_pacific_equator", 0.0, 150.0},
      {"south_pacific", -30.0, 130.0},
      {"west_pacific", 10.0, -160.0},
      {"north_atlantic", 30.0, 40.0},
      {"south_atlantic", -30.0, 15.0},
      {"indian_ocean", -20.0, -75.0},
      {"southern_ocean", -55.0, 100.0},
      {"gulf_of_guinea", -3.0, 0.0},
  };
  for (const Place& p : kOcean) {
    const auto [x, y] = PixelOf(p.latitude, p.westLongitude);
    EXPECT_TRUE(LooksLikeOpenSea(x, y)) << p.name << " at pixel " << x << ", " << y;
  }
}

// Coasts that run nearly straight across the scan line, so an atlas gives
// their crossing to a tenth of a degree; the drawn coast must be the pixel
// the forward conversion gives, give or take one (a pixel is 0.84 degrees of
// longitude, and the picture marks a pixel as land from half its area).
struct CoastCrossing {
  const char* name;
  double latitude;
  double coastWestLongitude;  // where the scan line meets the coast
  double seaWestLongitude;    // a point out at sea on the same line
};

TEST_F(EarthMapTest, CoastsRunWhereTheConversionPutsThem) {
  const CoastCrossing kCoasts[] = {
      {"chile_30s", -30.0, 71.4, 76.0},             // the coast near La Serena
      {"chile_20s", -20.2, 70.15, 75.0},            // Iquique
      {"brazil_8s", -8.0, 34.85, 30.0},             // Recife
      {"western_australia_30s", -30.3, -115.0, -110.0},  // Jurien Bay
  };
  for (const CoastCrossing& c : kCoasts) {
    const auto [coastX, y] = PixelOf(c.latitude, c.coastWestLongitude);
    const int seaX = PixelOf(c.latitude, c.seaWestLongitude).first;
    ASSERT_EQ(map.ColourAt(seaX, y), kBlack) << c.name;
    // Walk from the sea towards the land until the first coloured pixel.
    const int step = coastX > seaX ? 1 : -1;
    int x = seaX;
    while (x != coastX + 4 * step && map.ColourAt(x, y) == kBlack) x += step;
    EXPECT_NEAR(x, coastX, 1) << c.name;
    EXPECT_EQ(map.ColourAt(x, y), kTeal) << c.name;
  }
}

// The Gulf of Guinea shore crosses the Greenwich meridian at Tema, 5.62 N:
// going down column 322 the last land row is the one the conversion gives,
// exactly. By hand: 68.4367 ln tan(45 + 2.81 degrees) = 6.72, which rounds
// to 7, so the marker row is 214 - 7 + 148 = 355, picture row 185; that row
// holds the latitudes from 5.43 to 6.27 N, the coast is well inside it and
// most of the row's cell is land. A map drawn one row off fails here.
TEST_F(EarthMapTest, GreenwichColumnMeetsTheGhanaCoastAtTema) {
  const auto [x, coastY] = PixelOf(5.62, 0.0);
  ASSERT_EQ(x, 322);
  int lastLand = -1;
  for (int y = PixelOf(10.0, 0.0).second; y <= PixelOf(-2.0, 0.0).second; ++y) {
    if (map.ColourAt(x, y) != kBlack) lastLand = y;
  }
  EXPECT_EQ(coastY, 185);
  EXPECT_EQ(lastLand, coastY);
}

// Chukotka straddles 180 degrees: its land must reach the columns on both
// sides of the place where the map's longitude wraps, without a gap.
TEST_F(EarthMapTest, LandContinuesAcrossTheAntimeridian) {
  const int y = PixelOf(66.5, 0.0).second;
  const int west = MapXForLongitude(179.0);    // 179 W
  const int east = MapXForLongitude(-179.0);   // 179 E, three columns further left
  ASSERT_EQ(west - east, 3);
  for (int x = east; x <= west; ++x) {
    EXPECT_TRUE(LooksLikeLand(x, y)) << "column " << x;
  }
}

class SkyMapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto read = ReadBmp4(std::string(KELVORA_RESOURCE_DIR) + "/sky_map.bmp");
    ASSERT_TRUE(read.has_value()) << "resources/sky_map.bmp is missing or not a 4-bit BMP";
    map = *read;
  }

  static std::pair<int, int> PixelOf(double raHours, double decDegrees) {
    const SkyMapPoint p = SkyMapPlacement(raHours, decDegrees);
    return {static_cast<int>(p.column), static_cast<int>(p.row) - kPictureTop};
  }

  IndexedPicture map;
};

constexpr Rgb kGrid{128, 128, 128};
constexpr Rgb kSourceMark{0, 255, 255};
constexpr Rgb kPoleMark{192, 192, 192};
constexpr Rgb kLettering{192, 192, 192};

bool IsContourColour(const Rgb& c) {
  return c != kBlack && c != kGrid && c != kSourceMark && c != kLettering && c != Rgb{255, 255, 0} &&
         c != Rgb{255, 255, 255};
}

TEST_F(SkyMapTest, IsA434By308SixteenColourPictureLeavingYellowAndWhiteToTheOverlay) {
  EXPECT_EQ(map.width, 434);
  EXPECT_EQ(map.height, 308);
  EXPECT_EQ(map.bitsPerPixel, 4);
  for (int y = 0; y < map.height; ++y) {
    for (int x = 0; x < map.width; ++x) {
      const Rgb c = map.ColourAt(x, y);
      ASSERT_NE(c, (Rgb{255, 255, 0})) << x << ", " << y;
      ASSERT_NE(c, (Rgb{255, 255, 255})) << x << ", " << y;
    }
  }
}

struct SkyMark {
  const char* name;
  double raHours;
  double decDegrees;
};

// J2000 positions from the radio-source catalogues (hours + minutes / 60).
constexpr SkyMark kSources[] = {
    {"cassiopeia_a", 23 + 23.4 / 60, 58.8},  {"cygnus_a", 19 + 59.5 / 60, 40.7},
    {"taurus_a", 5 + 34.5 / 60, 22.0},       {"sagittarius_a", 17 + 45.7 / 60, -29.0},
    {"centaurus_a", 13 + 25.5 / 60, -43.0},
};
constexpr SkyMark kGalacticPoles[] = {
    {"north_galactic_pole", 12 + 51.4 / 60, 27.1},
    {"south_galactic_pole", 0 + 51.4 / 60, -27.1},
};

TEST_F(SkyMapTest, SourceMarksAreCentredWhereTheMoonWouldBeDrawn) {
  for (const SkyMark& s : kSources) {
    const auto [x, y] = PixelOf(s.raHours, s.decDegrees);
    EXPECT_EQ(map.ColourAt(x, y), kSourceMark) << s.name;
    EXPECT_EQ(map.ColourAt(x + 2, y), kSourceMark) << s.name;
    EXPECT_EQ(map.ColourAt(x, y - 2), kSourceMark) << s.name;
    EXPECT_NE(map.ColourAt(x + 3, y + 3), kSourceMark) << s.name;
    // The name is lettered just to the right of the mark.
    int lettering = 0;
    for (int dy = -3; dy <= 3; ++dy) {
      for (int dx = 5; dx < 40; ++dx) lettering += map.ColourAt(x + dx, y + dy) == kLettering;
    }
    EXPECT_GT(lettering, 20) << s.name;
  }
}

TEST_F(SkyMapTest, GalacticPolesAreCircledCrosses) {
  for (const SkyMark& p : kGalacticPoles) {
    const auto [x, y] = PixelOf(p.raHours, p.decDegrees);
    EXPECT_EQ(map.ColourAt(x, y), kPoleMark) << p.name << " centre";
    for (const auto& [dx, dy] : {std::pair{3, 0}, {-3, 0}, {0, 3}, {0, -3}}) {
      EXPECT_EQ(map.ColourAt(x + dx, y + dy), kPoleMark) << p.name << " cross arm " << dx << ", " << dy;
    }
    for (const auto& [dx, dy] : {std::pair{4, 0}, {-4, 0}, {0, 4}, {0, -4}, {3, 3}, {-3, -3}}) {
      EXPECT_EQ(map.ColourAt(x + dx, y + dy), kPoleMark) << p.name << " ring " << dx << ", " << dy;
    }
    // Between the arms and the ring the cross is open.
    EXPECT_NE(map.ColourAt(x + 2, y + 2), kPoleMark) << p.name;
  }
}

// Every 2 h and every 30 degrees a dashed line: three pixels on, three off.
TEST_F(SkyMapTest, GridIsDashedEveryTwoHoursAndThirtyDegrees) {
  for (int hours = 0; hours <= 24; hours += 2) {
    const int x = PixelOf(hours, 0).first;
    int onLine = 0;
    int beside = 0;
    for (int y = 0; y < 305; ++y) {
      onLine += map.ColourAt(x, y) == kGrid;
      beside += map.ColourAt(x + 3, y) == kGrid;
    }
    EXPECT_GT(onLine, 305 * 2 / 5) << hours << " h";
    EXPECT_LT(beside, 305 / 10) << hours << " h";
  }
  for (int dec = -90; dec <= 60; dec += 30) {
    const int y = PixelOf(0, dec).second;
    int onLine = 0;
    int beside = 0;
    for (int x = 0; x < 431; ++x) {
      onLine += map.ColourAt(x, y) == kGrid;
      beside += map.ColourAt(x, y - 3) == kGrid;
    }
    EXPECT_GT(onLine, 431 * 2 / 5) << dec << " degrees";
    EXPECT_LT(beside, 431 / 10) << dec << " degrees";
  }
}

// The radio sky is brightest at the galactic centre: the contours crowd
// round Sagittarius A, the innermost one (fuchsia) is drawn nowhere else, and
// the galactic poles lie in quiet sky.
TEST_F(SkyMapTest, ContoursCrowdRoundTheGalacticCentre) {
  const auto contourColoursNear = [this](std::pair<int, int> centre, int reach) {
    std::set<Rgb> colours;
    for (int y = std::max(0, centre.second - reach); y <= std::min(304, centre.second + reach); ++y) {
      for (int x = std::max(0, centre.first - reach); x <= std::min(430, centre.first + reach); ++x) {
        if (IsContourColour(map.ColourAt(x, y))) colours.insert(map.ColourAt(x, y));
      }
    }
    return colours;
  };
  const auto galacticCentre = PixelOf(kSources[3].raHours, kSources[3].decDegrees);
  EXPECT_GE(contourColoursNear(galacticCentre, 25).size(), 6u);
  for (const SkyMark& p : kGalacticPoles) {
    EXPECT_TRUE(contourColoursNear(PixelOf(p.raHours, p.decDegrees), 25).empty()) << p.name;
  }
  constexpr Rgb kInnermost{255, 0, 255};
  int innermost = 0;
  for (int y = 0; y < 305; ++y) {
    for (int x = 0; x < 431; ++x) {
      if (map.ColourAt(x, y) != kInnermost) continue;
      ++innermost;
      EXPECT_LE(std::hypot(x - galacticCentre.first, y - galacticCentre.second), 20.0) << x << ", " << y;
    }
  }
  EXPECT_GT(innermost, 0);
}

}  // namespace
}  // namespace kelvora
