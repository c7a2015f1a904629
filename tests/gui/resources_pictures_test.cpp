// The pictures built into the program load through Qt from the resource
// paths the window uses, at their sizes, and read the same way round as
// the generators wrote them.
#include <QColor>
#include <QImage>
#include <QString>

#include <gtest/gtest.h>

// The pictures live in the gui library's resources, which a static library
// registers only when asked to (outside any namespace).
static void RegisterResources() { Q_INIT_RESOURCE(resources); }

namespace {

class ResourcePictures : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterResources(); }
};

struct PictureCase {
  const char* name;
  const char* path;
  int width;
  int height;
};

TEST_F(ResourcePictures, LoadFromTheResourcePathsAtTheirSizes) {
  const PictureCase kCases[] = {
      {"earth_map", ":/kelvora/earth_map.bmp", 431, 305},
      {"sky_map", ":/kelvora/sky_map.bmp", 434, 308},
      {"icon", ":/kelvora/kelvora.png", 32, 32},
  };
  for (const PictureCase& c : kCases) {
    const QImage image(QString::fromLatin1(c.path));
    ASSERT_FALSE(image.isNull()) << c.name;
    EXPECT_EQ(image.width(), c.width) << c.name;
    EXPECT_EQ(image.height(), c.height) << c.name;
  }
}

TEST_F(ResourcePictures, MapsAreSixteenColourPictures) {
  for (const char* path : {":/kelvora/earth_map.bmp", ":/kelvora/sky_map.bmp"}) {
    const QImage image(QString::fromLatin1(path));
    ASSERT_FALSE(image.isNull()) << path;
    EXPECT_EQ(image.format(), QImage::Format_Indexed8) << path;
    EXPECT_LE(image.colorCount(), 16) << path;
  }
}

// Rows are stored bottom-up in a BMP; a reader that got that wrong would
// show the world upside down. Column 322 (Greenwich) meets the Ghana coast
// at picture row 185 (Tema, 5.62 N); the row below it is the sea.
TEST_F(ResourcePictures, EarthMapReadsTheRightWayUp) {
  const QImage image(QStringLiteral(":/kelvora/earth_map.bmp"));
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.pixelColor(322, 185), QColor(0, 128, 128));
  EXPECT_EQ(image.pixelColor(322, 186), QColor(0, 0, 0));
  EXPECT_EQ(image.pixelColor(322, 187), QColor(0, 0, 0));
}

// The icon is drawn on a transparent ground: its corners are clear and the
// moon, upper right, is opaque and light.
TEST_F(ResourcePictures, IconHasATransparentGroundAndALightMoon) {
  const QImage icon(QStringLiteral(":/kelvora/kelvora.png"));
  ASSERT_FALSE(icon.isNull());
  ASSERT_TRUE(icon.hasAlphaChannel());
  for (const auto& [x, y] : {std::pair{0, 0}, {31, 31}, {0, 31}}) {
    EXPECT_EQ(icon.pixelColor(x, y).alpha(), 0) << x << ", " << y;
  }
  const QColor moon = icon.pixelColor(23, 9);
  EXPECT_EQ(moon.alpha(), 255);
  EXPECT_GT(moon.lightness(), 180);
}

}  // namespace
