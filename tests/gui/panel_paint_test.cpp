// Painting of the panel, probed pixel by pixel: the merge of the footprint
// with the map, the markers of both maps, the phase picture and its word,
// the labels, the view caption and the time-step buttons.
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "panel/panel_painter.h"
#include "panel/panel_widget.h"
#include "panel_test_support.h"

namespace kelvora::gui {
namespace {

using testing::FakePanelHost;
using testing::PixelAt;
using testing::Rgb;

// A background no drawing of the panel uses.
const QRgb kBackground = qRgb(10, 20, 30);
const QRgb kYellow = qRgb(255, 255, 0);
const QRgb kDarkGrey = qRgb(100, 100, 100);
const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kSlate = qRgb(140, 140, 160);

class PanelPaintTest : public ::testing::Test {
 protected:
  PanelPaintTest() {
    // Markers well apart, none inside the footprint used below.
    model.tracking.moonMarker = {60, 420};
    model.tracking.sunMarker = {120, 420};
    model.tracking.homeMarker = {180, 420};
    model.tracking.station2Marker = {240, 420};
    model.tracking.phaseIndex = 0;
  }

  // The panel without map pictures, over a plain background, so every
  // non-background pixel comes from the drawing itself.
  QImage PaintBare() {
    QImage image(kClientWidth, kClientHeight, QImage::Format_RGB32);
    image.fill(kBackground);
    QPainter painter(&image);
    PaintPanel(painter, model, resources, PanelPictures{}, QPalette());
    return image;
  }

  // A square footprint (150, 250)-(250, 350) as the tick would leave it.
  void SetSquareFootprint() {
    const std::vector<MapPoint> square = {{150, 250}, {250, 250}, {250, 350}, {150, 350},
                                          {150, 250}};
    for (std::size_t i = 0; i < square.size(); ++i) model.tracking.footprint[i] = square[i];
    model.tracking.footprintResult = static_cast<int>(square.size());
  }

  TrackerModel model;
  DrawingResources resources = CreateDrawingResources();
};

// Merge with the inverted pen: every channel becomes old OR (255 - colour).
QRgb Merged(QRgb old, int r, int g, int b) {
  return qRgb(qRed(old) | (255 - r), qGreen(old) | (255 - g), qBlue(old) | (255 - b));
}

struct FootprintColourCase {
  const char* name;
  bool sunView;
  std::int32_t timeOffset;
  int r, g, b;        // the brush of the case
  QRgb blackBecomes;  // a black map pixel inside, by hand: 255 minus each channel
};

class FootprintColourTest : public PanelPaintTest,
                            public ::testing::WithParamInterface<FootprintColourCase> {};

TEST_P(FootprintColourTest, MapShowsThroughMergedWithInvertedBrush) {
  const FootprintColourCase& c = GetParam();
  model.view.sunView = c.sunView;
  model.tracking.timeOffset = c.timeOffset;
  SetSquareFootprint();
  FakePanelHost host;
  PanelWidget panel(model, resources, host);
  const QImage shown = panel.RenderToImage();
  const QImage map = LoadPanelPictures().earthMap;
  ASSERT_FALSE(map.isNull());

  // Every picture pixel strictly inside the square is merged; a band just
  // outside is the picture unchanged.
  int blackInside = 0;
  for (int y = 252; y < 349; y += 3) {
    for (int x = 152; x < 249; x += 3) {
      const QRgb under = PixelAt(map, x, y - kMapTop);
      ASSERT_EQ(PixelAt(shown, x, y), Merged(under, c.r, c.g, c.b)) << x << "," << y;
      if (under == kBlack) {
        ASSERT_EQ(PixelAt(shown, x, y), c.blackBecomes) << x << "," << y;
        ++blackInside;
      }
    }
  }
  EXPECT_GT(blackInside, 10) << "the test square should cover ocean";
  for (int x = 140; x < 260; ++x) {
    EXPECT_EQ(PixelAt(shown, x, 246), PixelAt(map, x, 246 - kMapTop)) << x;
    EXPECT_EQ(PixelAt(shown, x, 354), PixelAt(map, x, 354 - kMapTop)) << x;
  }
}

// tan (175, 155, 140) inverted is (80, 100, 115); olive (140, 140, 120) gives
// (115, 115, 135); slate (140, 140, 160) gives (115, 115, 95).
INSTANTIATE_TEST_SUITE_P(
    Views, FootprintColourTest,
    ::testing::Values(
        FootprintColourCase{"moon_view_live_tan", false, 0, 175, 155, 140, qRgb(80, 100, 115)},
        FootprintColourCase{"sun_view_live_olive", true, 0, 140, 140, 120, qRgb(115, 115, 135)},
        FootprintColourCase{"moon_view_stepped_slate", false, 3600, 140, 140, 160,
                            qRgb(115, 115, 95)},
        FootprintColourCase{"sun_view_stepped_slate", true, -60, 140, 140, 160,
                            qRgb(115, 115, 95)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PanelPaintTest, MoonViewShowsYellowCrossAndNoSunMark) {
  const QImage image = PaintBare();
  const MapPoint moon = model.tracking.moonMarker;
  const MapPoint sun = model.tracking.sunMarker;
  EXPECT_EQ(PixelAt(image, moon.x, moon.y), kYellow);
  EXPECT_EQ(PixelAt(image, moon.x, moon.y - 4), kYellow);  // vertical arm
  EXPECT_EQ(PixelAt(image, moon.x, moon.y + 4), kYellow);
  EXPECT_EQ(PixelAt(image, moon.x - 2, moon.y), kYellow);  // horizontal arm
  EXPECT_EQ(PixelAt(image, moon.x - 6, moon.y), kBackground);
  EXPECT_EQ(PixelAt(image, sun.x, sun.y), kBackground);
  EXPECT_EQ(PixelAt(image, sun.x - 6, sun.y), kBackground);
}

TEST_F(PanelPaintTest, SunViewShowsEightArmedSunMarkWithSevenPixelArms) {
  model.view.sunView = true;
  const QImage image = PaintBare();
  const int x = model.tracking.sunMarker.x;
  const int y = model.tracking.sunMarker.y;
  // Lines leave out their end point: (x-7, y)->(x+7, y) covers x-7..x+6.
  EXPECT_EQ(PixelAt(image, x - 7, y), kWhite);
  EXPECT_EQ(PixelAt(image, x + 6, y), kWhite);
  EXPECT_EQ(PixelAt(image, x + 7, y), kBackground);
  EXPECT_EQ(PixelAt(image, x, y - 7), kWhite);
  EXPECT_EQ(PixelAt(image, x, y + 6), kWhite);
  EXPECT_EQ(PixelAt(image, x, y + 7), kBackground);
  EXPECT_EQ(PixelAt(image, x - 4, y - 4), kWhite);
  EXPECT_EQ(PixelAt(image, x + 3, y + 3), kWhite);
  EXPECT_EQ(PixelAt(image, x + 4, y - 4), kWhite);
  EXPECT_EQ(PixelAt(image, x - 3, y + 3), kWhite);
  EXPECT_EQ(PixelAt(image, x + 4, y + 4), kBackground);
  // No moon cross in sun view.
  EXPECT_EQ(PixelAt(image, model.tracking.moonMarker.x, model.tracking.moonMarker.y),
            kBackground);
}

TEST_F(PanelPaintTest, HomeMarkAlwaysAndSecondStationOnlyWithLocatorText) {
  struct Case {
    const char* name;
    std::string locator;
    bool sunView;
    bool redExpected;
  };
  const std::vector<Case> cases = {
      {"no_station", "", false, false},
      {"station_in_moon_view", "FN42XX", false, true},
      {"station_in_sun_view", "FN42XX", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    model.view.sunView = c.sunView;
    model.station2.latitude = 42.0;  // a stored position alone draws nothing
    model.station2.longitude = 71.0;
    model.station2.locator = c.locator;
    const QImage image = PaintBare();
    const MapPoint home = model.tracking.homeMarker;
    const MapPoint station = model.tracking.station2Marker;
    EXPECT_EQ(PixelAt(image, home.x, home.y), kWhite);
    EXPECT_EQ(PixelAt(image, station.x, station.y) == kRed, c.redExpected);
    EXPECT_EQ(PixelAt(image, station.x - 3, station.y) == kRed, c.redExpected);
    EXPECT_EQ(PixelAt(image, station.x, station.y + 3) == kRed, c.redExpected);
  }
}

TEST_F(PanelPaintTest, AntennaMarkOnlyWhileStationControlReportsIt) {
  const QRgb magenta = qRgb(255, 0, 255);
  const auto count = [&](const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) n += PixelAt(image, x, y) == magenta;
    }
    return n;
  };
  // Earth map: the bearing, a short line from home (180, 420), north up.
  model.tracking.antenna = {true, 90.0, 20.0, 6.0, 10.0};
  QImage image = PaintBare();
  EXPECT_EQ(PixelAt(image, 190, 420), magenta);
  EXPECT_EQ(PixelAt(image, 180, 410), kBackground);
  model.tracking.antenna.azimuth = 360.0;
  image = PaintBare();
  EXPECT_EQ(PixelAt(image, 180, 410), magenta);
  // Sky map: a square where the projection puts its direction.
  model.view.mapBitmap = kSkyMapBitmap;
  model.view.skyMap = true;
  image = PaintBare();
  const SkyMapPoint p = SkyMapPlacement(6.0, 10.0);
  const int x = static_cast<int>(p.column), y = static_cast<int>(p.row);
  EXPECT_EQ(PixelAt(image, x - 4, y), magenta);
  EXPECT_EQ(PixelAt(image, x + 4, y), magenta);
  EXPECT_EQ(PixelAt(image, x, y), kBackground);
  // Not running: no trace of it.
  model.tracking.antenna.shown = false;
  EXPECT_EQ(count(PaintBare()), 0);
  model.view.skyMap = false;
  model.view.mapBitmap = kEarthMapBitmap;
  EXPECT_EQ(count(PaintBare()), 0);
}

TEST_F(PanelPaintTest, SkyMapShowsTrackMoonDiscAndSunWithEightPixelArm) {
  model.view.mapBitmap = kSkyMapBitmap;
  model.view.skyMap = true;
  for (std::size_t i = 0; i < model.tracking.moonTrack.size(); ++i) {
    model.tracking.moonTrack[i] = {20.9 + 15.0 * static_cast<double>(i), 250.7};
  }
  model.tracking.moonSkyPoint = {300, 300};
  model.tracking.sunSkyPoint = {100, 400};
  const QImage image = PaintBare();

  // Dash i runs from (20 + 15i, 250) over three pixels (fractions cut off).
  for (int i = 0; i < 26; ++i) {
    const int x = 20 + 15 * i;
    if (x + 3 >= kMapShownWidth) break;
    EXPECT_EQ(PixelAt(image, x, 250), kSlate) << i;
    EXPECT_EQ(PixelAt(image, x + 2, 250), kSlate) << i;
    EXPECT_EQ(PixelAt(image, x + 3, 250), kBackground) << i;
  }
  // Disc (292, 292)-(308, 308): outline slate, inside yellow.
  EXPECT_EQ(PixelAt(image, 300, 300), kYellow);
  EXPECT_EQ(PixelAt(image, 292, 300), kSlate);
  EXPECT_EQ(PixelAt(image, 307, 300), kSlate);
  EXPECT_EQ(PixelAt(image, 308, 300), kBackground);
  // Sun: vertical arm (x, y-8)->(x, y+8), horizontal (x-7)->(x+7).
  EXPECT_EQ(PixelAt(image, 100, 392), kWhite);
  EXPECT_EQ(PixelAt(image, 100, 407), kWhite);
  EXPECT_EQ(PixelAt(image, 100, 408), kBackground);
  EXPECT_EQ(PixelAt(image, 93, 400), kWhite);
  EXPECT_EQ(PixelAt(image, 107, 400), kBackground);
  // None of the earth-map overlay, and no phase picture.
  EXPECT_EQ(PixelAt(image, model.tracking.moonMarker.x, model.tracking.moonMarker.y),
            kBackground);
  EXPECT_EQ(PixelAt(image, 226, 32), kBackground);
  EXPECT_EQ(PixelAt(image, 240, 43), kBackground);
}

struct PhaseCase {
  const char* name;
  int m;
  QRgb left;    // (233, 43), left part of the disc
  QRgb centre;  // (240, 43), just right of the chord at column 239 or 241
  QRgb right;   // (247, 43)
};

class PhasePictureTest : public PanelPaintTest, public ::testing::WithParamInterface<PhaseCase> {
};

TEST_P(PhasePictureTest, LitPartOfDisc) {
  const PhaseCase& c = GetParam();
  model.tracking.phaseIndex = c.m;
  const QImage image = PaintBare();
  EXPECT_EQ(PixelAt(image, 233, 43), c.left);
  EXPECT_EQ(PixelAt(image, 240, 43), c.centre);
  EXPECT_EQ(PixelAt(image, 247, 43), c.right);
  // Top and bottom rows of the disc follow the same side.
  EXPECT_EQ(PixelAt(image, 240, 34), c.centre);
  // The black box around the disc, inside the etched frame.
  EXPECT_EQ(PixelAt(image, 226, 32), kBlack);
  EXPECT_EQ(PixelAt(image, 253, 53), kBlack);
  EXPECT_NE(PixelAt(image, 224, 30), kBackground);  // frame
}

// m = 0 and 40 full, 10 lit on the right half, 20 new, 30 lit on the left
// half; 5 and 35 gibbous (the second yellow ellipse spans 235..244 and
// 235..244), 15 and 25 crescents.
INSTANTIATE_TEST_SUITE_P(
    Phases, PhasePictureTest,
    ::testing::Values(PhaseCase{"full_0", 0, kYellow, kYellow, kYellow},
                      PhaseCase{"gibbous_5", 5, kDarkGrey, kYellow, kYellow},
                      PhaseCase{"half_10", 10, kDarkGrey, kYellow, kYellow},
                      PhaseCase{"crescent_15", 15, kDarkGrey, kDarkGrey, kYellow},
                      PhaseCase{"new_20", 20, kDarkGrey, kDarkGrey, kDarkGrey},
                      PhaseCase{"crescent_25", 25, kYellow, kDarkGrey, kDarkGrey},
                      PhaseCase{"half_30", 30, kYellow, kDarkGrey, kDarkGrey},
                      PhaseCase{"gibbous_35", 35, kYellow, kYellow, kDarkGrey},
                      PhaseCase{"full_40", 40, kYellow, kYellow, kYellow}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PanelPaintTest, PhaseIndexOutOfRangeDrawsOnlyBoxAndUnlitDisc) {
  for (const int m : {-1, 41}) {
    model.tracking.phaseIndex = m;
    const QImage image = PaintBare();
    EXPECT_EQ(PixelAt(image, 226, 32), kBlack) << m;
    EXPECT_EQ(PixelAt(image, 233, 43), kDarkGrey) << m;
    EXPECT_EQ(PixelAt(image, 247, 43), kDarkGrey) << m;
  }
}

TEST(PhaseWordTable, WordsByIndex) {
  const std::vector<std::pair<int, const char*>> rows = {
      {0, "full moon "},   {1, "full moon "},   {2, "  waxing   "},   {19, "  waxing   "},
      {20, "new moon"},    {21, "  waning   "}, {30, "  waning   "}, {31, "  waning    "},
      {39, "  waning    "}, {40, ""},          {-1, ""},             {41, ""}};
  for (const auto& [m, word] : rows) EXPECT_STREQ(PhaseWordFor(m).text, word) << m;
}

// Counts pixels of one colour in a rectangle.
int CountColour(const QImage& image, const QRect& area, QRgb colour) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) count += PixelAt(image, x, y) == colour;
  }
  return count;
}

// Counts pixels within 25 of a colour in every channel.
int CountNear(const QImage& image, const QRect& area, const QColor& colour) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      const QRgb p = PixelAt(image, x, y);
      count += std::abs(qRed(p) - colour.red()) <= 25 && std::abs(qGreen(p) - colour.green()) <= 25 &&
               std::abs(qBlue(p) - colour.blue()) <= 25;
    }
  }
  return count;
}

TEST_F(PanelPaintTest, PhaseWordOnGreyBackground) {
  const QRect wordArea(217, 56, 80, 16);
  const QRgb wordBackground = qRgb(195, 195, 195);

  model.tracking.phaseIndex = 1;  // "full moon " in yellow
  QImage image = PaintBare();
  EXPECT_GT(CountColour(image, wordArea, wordBackground), 50);
  EXPECT_GT(CountColour(image, wordArea, kYellow), 5);

  model.tracking.phaseIndex = 5;  // "  waxing   " in dark grey
  image = PaintBare();
  EXPECT_GT(CountColour(image, wordArea, wordBackground), 50);
  EXPECT_GT(CountColour(image, wordArea, kDarkGrey), 5);
  EXPECT_EQ(CountColour(image, wordArea, kYellow), 0);
  // The word starts with two blanks: its first columns are background only.
  const int cell = QFontMetrics(resources.smallBoldFont).height();
  EXPECT_EQ(CountColour(image, QRect(217, 56, 4, cell), wordBackground), 4 * cell);

  model.tracking.phaseIndex = 40;  // no word at all
  image = PaintBare();
  EXPECT_EQ(CountColour(image, QRect(217, 57, 80, 12), wordBackground), 0);
}

TEST_F(PanelPaintTest, StepButtonsPainted) {
  const QImage withButtons = PaintBare();
  for (const int left : {16, 40, 64, 88, 108, 126, 156, 184}) {
    const QRect frame(left, 58, 8, 8);
    EXPECT_EQ(CountColour(withButtons, frame, kBackground), 0) << left;
    // Nothing outside the 8 x 8 frame.
    EXPECT_EQ(PixelAt(withButtons, left + 8, 62), kBackground) << left;
    EXPECT_EQ(PixelAt(withButtons, left + 3, 66), kBackground) << left;
  }
}

TEST_F(PanelPaintTest, LabelsAndViewCaptionInTheirColours) {
  const QRgb labelGrey = qRgb(100, 100, 100);
  QImage image = PaintBare();
  struct Label {
    const char* name;
    int x, y;
  };
  for (const Label& label : {Label{"Stn2 Grid", 445, 278}, Label{"Sky Temp", 445, 71},
                             Label{"Degradation", 435, 158}, Label{"Stn2 Doppler", 435, 237}}) {
    EXPECT_GT(CountColour(image, QRect(label.x, label.y, 60, 18), labelGrey), 5) << label.name;
  }
  // "Moon View" over the map's corner in (192, 192, 123); "Sun View" in
  // (192, 192, 192). Smoothed glyph edges blend with the background, so
  // count the pixels close to either colour.
  const QRect caption(2, 170, 70, 15);
  const QColor moonColour(192, 192, 123);
  const QColor sunColour(192, 192, 192);
  EXPECT_GT(CountNear(image, caption, moonColour), 3);
  EXPECT_EQ(CountNear(image, caption, sunColour), 0);
  model.view.sunView = true;
  image = PaintBare();
  EXPECT_GT(CountNear(image, caption, sunColour), 3);
  EXPECT_EQ(CountNear(image, caption, moonColour), 0);
}

TEST_F(PanelPaintTest, MapPictureCopiedUnscaledAndCut) {
  FakePanelHost host;
  PanelWidget panel(model, resources, host);
  const PanelPictures pictures = LoadPanelPictures();
  ASSERT_EQ(pictures.earthMap.size(), QSize(431, 305));
  ASSERT_EQ(pictures.skyMap.size(), QSize(434, 308));
  for (const bool sky : {false, true}) {
    model.view.mapBitmap = sky ? kSkyMapBitmap : kEarthMapBitmap;
    const QImage& picture = sky ? pictures.skyMap : pictures.earthMap;
    const QImage shown = panel.RenderToImage();
    // Rows clear of the caption, markers and track; the last shown row and
    // column are the picture's 304 and 430.
    for (const QPoint p : {QPoint(100, 10), QPoint(430, 100), QPoint(300, 304), QPoint(0, 200)}) {
      EXPECT_EQ(PixelAt(shown, p.x(), p.y() + kMapTop), PixelAt(picture, p.x(), p.y()))
          << sky << " " << p.x() << "," << p.y();
    }
  }
}

}  // namespace
}  // namespace kelvora::gui
