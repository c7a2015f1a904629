// The mouse over the panel: the time-step buttons' click and hover zones,
// their captions and the order they are erased in, the earth-map read-out,
// placing and removing the second station, and the pointer coordinates.
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPalette>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "astro/map_projection.h"
#include "astro/moon.h"
#include "astro/time_helpers.h"
#include "panel/panel_widget.h"
#include "panel_test_support.h"

namespace kelvora::gui {
namespace {

using testing::FakePanelHost;
using testing::Move;
using testing::PixelAt;
using testing::Press;
using testing::Release;

class PanelMouseTest : public ::testing::Test {
 protected:
  PanelMouseTest() : panel(model, resources, host) {}

  const PanelOverlayState& Overlay() const { return panel.OverlayState(); }
  bool CaptionFlag(StepButton b) const {
    return Overlay().captionFlags[static_cast<std::size_t>(b)];
  }
  // Shows the panel and lets every queued paint run.
  void ShowAndPaint() {
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    QApplication::processEvents();
  }

  TrackerModel model;
  DrawingResources resources = CreateDrawingResources();
  FakePanelHost host;
  PanelWidget panel;
};

constexpr std::int64_t kMonth = 2592000;
constexpr std::int64_t kWeek = 604800;
constexpr std::int64_t kDay = 86400;
constexpr std::int64_t kHour = 3600;
constexpr std::int64_t kYear = 31536000;

struct ClickCase {
  const char* name;
  int x, y;
  std::int64_t leftStep;  // 0: the click does nothing
};

class StepButtonClickTest : public PanelMouseTest,
                            public ::testing::WithParamInterface<ClickCase> {};

TEST_P(StepButtonClickTest, LeftAddsRightSubtracts) {
  const ClickCase& c = GetParam();
  Press(panel, c.x, c.y, Qt::LeftButton);
  EXPECT_EQ(model.tracking.timeOffset, c.leftStep);
  EXPECT_EQ(host.ticks, c.leftStep != 0 ? 1 : 0);

  model.tracking.timeOffset = 0;
  Press(panel, c.x, c.y, Qt::RightButton);
  EXPECT_EQ(model.tracking.timeOffset, -c.leftStep);
  EXPECT_EQ(host.ticks, c.leftStep != 0 ? 2 : 0);
}

// The zone edges: click zones include their limits; the month zone lies two
// pixels right of its frame; the 1 Min. button takes only 157-163 x 59-65.
INSTANTIATE_TEST_SUITE_P(
    Zones, StepButtonClickTest,
    ::testing::Values(ClickCase{"month_on_frame_46", 46, 62, kMonth},
                      ClickCase{"month_frame_left_41_nothing", 41, 62, 0},
                      ClickCase{"month_zone_left_42", 42, 58, kMonth},
                      ClickCase{"month_zone_right_50", 50, 66, kMonth},
                      ClickCase{"month_right_of_zone_51_nothing", 51, 62, 0},
                      ClickCase{"week_64", 64, 58, kWeek}, ClickCase{"week_72", 72, 66, kWeek},
                      ClickCase{"day_88", 88, 62, kDay}, ClickCase{"day_96", 96, 62, kDay},
                      ClickCase{"hour_108", 108, 58, kHour}, ClickCase{"hour_116", 116, 66, kHour},
                      ClickCase{"ten_minutes_126", 126, 62, 600},
                      ClickCase{"ten_minutes_134", 134, 62, 600},
                      ClickCase{"minute_157_59", 157, 59, 60},
                      ClickCase{"minute_163_65", 163, 65, 60},
                      ClickCase{"minute_156_nothing", 156, 62, 0},
                      ClickCase{"minute_164_nothing", 164, 62, 0},
                      ClickCase{"minute_row_58_nothing", 160, 58, 0},
                      ClickCase{"minute_row_66_nothing", 160, 66, 0},
                      ClickCase{"year_184", 184, 62, kYear}, ClickCase{"year_192", 192, 66, kYear},
                      ClickCase{"above_row_57_nothing", 90, 57, 0},
                      ClickCase{"below_row_67_nothing", 90, 67, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PanelMouseTest, TwoDaysForwardThenRightClickOnRiseClearReturnsToLiveTime) {
  Press(panel, 20, 62, Qt::LeftButton);  // horizon search moves the offset
  Press(panel, 90, 62, Qt::LeftButton);
  Press(panel, 90, 62, Qt::LeftButton);
  ASSERT_NE(model.tracking.timeOffset, 0);
  Press(panel, 16, 66, Qt::RightButton);
  EXPECT_EQ(model.tracking.timeOffset, 0);
  EXPECT_EQ(host.ticks, 4);
}

TEST_F(PanelMouseTest, RiseClearLeftClickJumpsToWhereTheMoonCrossesTheHorizon) {
  model.home.latitude = 42.0;
  model.home.longitude = 71.0;
  Press(panel, 24, 66, Qt::LeftButton);
  const std::int32_t offset = model.tracking.timeOffset;
  ASSERT_GT(offset, 0);
  EXPECT_LT(offset, 2 * kDay);  // the moon rises or sets at least once a day or so
  // The elevation changes sign within a few minutes of the new moment.
  const auto before = MoonPosition(42.0, 71.0, host.clock, TimeBase{0, offset - 300});
  const auto after = MoonPosition(42.0, 71.0, host.clock, TimeBase{0, offset + 300});
  ASSERT_TRUE(before && after);
  EXPECT_LT(before->elevation * after->elevation, 0.0);
}

TEST_F(PanelMouseTest, HoverZonesExcludeTheirLimits) {
  struct Case {
    const char* name;
    int x, y;
    bool shown;
  };
  const std::vector<Case> cases = {
      {"rise_clear_17_59", 17, 59, true}, {"rise_clear_23_65", 23, 65, true},
      {"rise_clear_16_nothing", 16, 62, false}, {"rise_clear_24_nothing", 24, 62, false},
      {"rise_clear_row_58_nothing", 20, 58, false}, {"rise_clear_row_66_nothing", 20, 66, false},
      {"month_43", 43, 62, true}, {"month_42_nothing", 42, 62, false},
      {"minute_157", 157, 62, true}, {"minute_156_nothing", 156, 62, false},
      {"year_191", 191, 62, true}, {"year_192_nothing", 192, 62, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Move(panel, c.x, c.y);
    EXPECT_EQ(Overlay().stepCaptionShown, c.shown);
    Move(panel, 300, 120);  // off every zone: erase what is left
    Move(panel, 300, 120);
  }
}

TEST_F(PanelMouseTest, MovingStraightBetweenButtonsKeepsOneCaption) {
  // Straight from the month zone into the Rise/Clear zone and the 1 Min.
  // zone: each caption goes as the next one comes, so they never pile up.
  Move(panel, 45, 62);
  Move(panel, 20, 62);
  EXPECT_FALSE(CaptionFlag(StepButton::kMonth));
  EXPECT_TRUE(CaptionFlag(StepButton::kRiseClear));
  Move(panel, 160, 62);
  EXPECT_FALSE(CaptionFlag(StepButton::kRiseClear));
  EXPECT_TRUE(CaptionFlag(StepButton::kOneMinute));
  EXPECT_TRUE(Overlay().stepCaptionShown);

  // Off every zone: the one caption left goes.
  Move(panel, 300, 120);
  EXPECT_FALSE(Overlay().stepCaptionShown);
  EXPECT_FALSE(CaptionFlag(StepButton::kOneMinute));
}

TEST_F(PanelMouseTest, CaptionBoxIsCreamWithBlackBorderOverTheButtons) {
  Move(panel, 20, 62);
  const QImage image = panel.RenderToImage();
  // Box (24, 57)-(71, 71): border on 24..70 x 57..70.
  EXPECT_EQ(PixelAt(image, 24, 57), qRgb(0, 0, 0));
  EXPECT_EQ(PixelAt(image, 70, 70), qRgb(0, 0, 0));
  EXPECT_EQ(PixelAt(image, 25, 69), qRgb(255, 255, 225));
  // The box covers the buttons under it (the week button at 64); its own
  // button stays in sight.
  EXPECT_EQ(PixelAt(image, 66, 62), qRgb(255, 255, 225));
  EXPECT_NE(PixelAt(image, 17, 60), qRgb(255, 255, 225));
}

TEST_F(PanelMouseTest, CaptionWipedByTheRepaintOfItsEraseRectangle) {
  ShowAndPaint();
  Move(panel, 20, 62);
  QApplication::processEvents();
  const OverlayItem& item = Overlay().captions[0];
  EXPECT_TRUE(item.onScreen);
  // A snapshot of the window leaves it alone.
  (void)panel.grab();
  EXPECT_TRUE(item.onScreen);
  Move(panel, 300, 120);
  QApplication::processEvents();
  EXPECT_FALSE(item.Shown());
}

// The read-out for the pointer at (200, 300) from a home station at
// 29.42 N, 95.36 W. By hand, from the map conversions:
//   longitude = 180 - 0.84112 * (200 - 108) = 102.61696 W
//   latitude  = 2 atan(exp(0.014612042953561466 * 61)) * 57.29582790879778 - 90
//             = 45.40226 N
//   locator: east longitude + 180 = 77.38304 -> field D, square 8, subsquare
//   16 (Q); latitude + 90 = 135.40226 -> field N, square 5, subsquare 9 (J).
// Bearing and distance by the ordinary great-circle formulas (atan2 course,
// haversine) on a sphere of 138.1 * 57.29582790879777 / 2 miles radius:
// 342.31 degrees, 1171.9 miles = 1886.0 km.
TEST_F(PanelMouseTest, EarthMapReadoutTexts) {
  model.home.latitude = 29.42;
  model.home.longitude = 95.36;
  struct Case {
    const char* name;
    int distanceUnit;
    const char* distanceText;
  };
  for (const Case& c : {Case{"miles", 1, "Dist:  1172 mi "}, Case{"kilometres", 0, "Dist:  1886 km "}}) {
    SCOPED_TRACE(c.name);
    model.home.distanceUnit = c.distanceUnit;
    Move(panel, 200, 300);
    const MapReadoutLine& line = Overlay().readoutLine;
    EXPECT_EQ(line[0].x, 5);
    EXPECT_EQ(line[0].text, QStringLiteral("Grid:"));
    EXPECT_EQ(line[1].x, 32);
    EXPECT_EQ(line[1].text, QStringLiteral("DN85QJ   "));
    EXPECT_EQ(line[2].x, 95);
    EXPECT_EQ(line[2].text, QString::fromUtf8("Lat: 45.4°  "));
    EXPECT_EQ(line[3].x, 165);
    EXPECT_EQ(line[3].text, QString::fromUtf8("Lon:102.6°  "));
    EXPECT_EQ(line[4].x, 240);
    EXPECT_TRUE(line[4].text.startsWith(QStringLiteral("Moon EL: ")));
    EXPECT_TRUE(line[4].text.endsWith(QString::fromUtf8("°  ")));
    EXPECT_EQ(line[5].x, 345);
    EXPECT_EQ(line[5].text, QString::fromUtf8("Direct AZ  342° "));
    EXPECT_EQ(line[6].x, 438);
    EXPECT_EQ(line[6].text, QString::fromLatin1(c.distanceText));
    EXPECT_TRUE(Overlay().mapReadoutShown);
  }
  EXPECT_EQ(host.statusRestarts, 2);
  EXPECT_EQ(host.pushes, 2);
}

TEST_F(PanelMouseTest, ReadoutElevationBelongsToTheSteppedMoment) {
  // The read-out's moon is that of the clock plus the zone hours plus the
  // time offset, and its hour angle is left for the tick's neighbours.
  model.home.gmtOffsetHours = 5;
  model.tracking.timeOffset = 7 * 86400;
  Move(panel, 322, 361);
  const auto fix = MoonPosition(MapLatitudeForY(361), MapLongitudeForX(322), host.clock,
                                TimeBase{5, 7 * 86400});
  ASSERT_TRUE(fix);
  EXPECT_EQ(Overlay().readoutLine[4].text,
            QString::asprintf("Moon EL: %5.2f°  ", fix->elevation));
  EXPECT_DOUBLE_EQ(model.tracking.moonHourAngle, fix->hourAngle);
  const auto live = MoonPosition(MapLatitudeForY(361), MapLongitudeForX(322), host.clock,
                                 TimeBase{0, 0});
  ASSERT_TRUE(live);
  EXPECT_GT(std::fabs(live->elevation - fix->elevation), 1.0);
}

TEST_F(PanelMouseTest, ReadoutZoneAndItsErasure) {
  struct Case {
    const char* name;
    int x, y;
    bool onMap;
  };
  const std::vector<Case> cases = {
      {"left_edge_1", 1, 300, true},       {"column_0_off", 0, 300, false},
      {"right_427", 427, 300, true},       {"column_428_off", 428, 300, false},
      {"top_170", 200, 170, true},         {"row_169_off", 200, 169, false},
      {"bottom_475", 200, 475, true},      {"row_476_off", 200, 476, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Move(panel, 200, 300);
    ASSERT_TRUE(Overlay().mapReadoutShown);
    const int restarts = host.statusRestarts;
    Move(panel, c.x, c.y);
    EXPECT_EQ(Overlay().mapReadoutShown, c.onMap);
    EXPECT_EQ(host.statusRestarts, restarts + (c.onMap ? 1 : 0));
  }
}

TEST_F(PanelMouseTest, ReadoutDrawnOnRow477AndWipedWhenPointerLeavesMap) {
  ShowAndPaint();
  Move(panel, 200, 300);
  QImage image = panel.RenderToImage();
  const QRgb grey = qRgb(195, 195, 195);
  EXPECT_EQ(PixelAt(image, 5, 477), grey);  // opaque text background of "Grid:"
  QApplication::processEvents();
  EXPECT_TRUE(Overlay().readout.onScreen);
  Move(panel, 450, 300);
  QApplication::processEvents();
  EXPECT_FALSE(Overlay().readout.Shown());
  image = panel.RenderToImage();
  EXPECT_NE(PixelAt(image, 5, 477), grey);
}

TEST_F(PanelMouseTest, SkyMapHasNoReadoutAndNoPlacingOrRemoving) {
  model.view.mapBitmap = kSkyMapBitmap;
  model.view.skyMap = true;
  model.station2 = {};
  model.station2.latitude = 42.0;
  model.station2.longitude = 71.0;
  model.station2.locator = "FN42AA";
  Move(panel, 200, 300);
  EXPECT_FALSE(Overlay().mapReadoutShown);
  EXPECT_EQ(host.pushes, 0);
  Press(panel, 200, 300, Qt::RightButton);
  EXPECT_EQ(model.station2.locator, "FN42AA");
  Press(panel, 200, 300, Qt::LeftButton);
  Release(panel, 200, 300, Qt::LeftButton);
  EXPECT_EQ(model.station2.locator, "FN42AA");
  EXPECT_DOUBLE_EQ(model.station2.latitude, 42.0);
  EXPECT_FALSE(model.station2.callReset);
  EXPECT_EQ(host.ticks, 1);  // the release still runs the tick
  // The time-step buttons work on both maps.
  Press(panel, 90, 62, Qt::LeftButton);
  EXPECT_EQ(model.tracking.timeOffset, kDay);
}

TEST_F(PanelMouseTest, LeftReleasePlacesSecondStationAndRightPressRemovesIt) {
  Press(panel, 200, 300, Qt::LeftButton);  // nothing on press
  EXPECT_TRUE(model.station2.locator.empty());
  Release(panel, 200, 300, Qt::LeftButton);
  // The hand values of the read-out test above.
  EXPECT_NEAR(model.station2.latitude, 45.40226, 1e-5);
  EXPECT_NEAR(model.station2.longitude, 102.61696, 1e-9);
  EXPECT_EQ(model.station2.locator, "DN85QJ");
  EXPECT_TRUE(model.station2.callReset);
  EXPECT_EQ(host.ticks, 1);
  // The red cross is there at once, at the click.
  QImage image = panel.RenderToImage();
  EXPECT_EQ(PixelAt(image, 200, 300), qRgb(255, 0, 0));
  EXPECT_EQ(PixelAt(image, 197, 300), qRgb(255, 0, 0));

  // A right press just inside the removal zone's corner.
  Press(panel, 430, 473, Qt::RightButton);
  EXPECT_EQ(model.station2.latitude, 0.0);
  EXPECT_EQ(model.station2.longitude, 0.0);
  EXPECT_TRUE(model.station2.locator.empty());
}

TEST_F(PanelMouseTest, RightPressOutsideRemovalZoneKeepsStation) {
  for (const QPoint p : {QPoint(0, 300), QPoint(431, 300), QPoint(200, 170), QPoint(200, 474)}) {
    model.station2.latitude = 42.0;
    model.station2.longitude = 71.0;
    model.station2.locator = "FN42AA";
    Press(panel, p.x(), p.y(), Qt::RightButton);
    EXPECT_EQ(model.station2.locator, "FN42AA") << p.x() << "," << p.y();
  }
}

TEST_F(PanelMouseTest, HoldingRightButtonShowsPointerCoordinatesUntilRelease) {
  ShowAndPaint();
  Move(panel, 37, 402, Qt::RightButton);
  EXPECT_EQ(Overlay().pointerText, QStringLiteral("  37,  402 "));
  EXPECT_FALSE(Overlay().mapReadoutShown);  // no read-out while the right button is held
  QImage image = panel.RenderToImage();
  EXPECT_EQ(PixelAt(image, 410, 8), qRgb(195, 195, 195));
  QApplication::processEvents();
  EXPECT_TRUE(Overlay().pointer.onScreen);
  Release(panel, 37, 402, Qt::RightButton);
  EXPECT_EQ(host.ticks, 1);
  QApplication::processEvents();
  EXPECT_FALSE(Overlay().pointer.Shown());
}

TEST_F(PanelMouseTest, ReadoutLiesOverAStatusLineAddedLater) {
  // The window adds its controls after creating the panel; the read-out
  // line must still show over the status line at the bottom.
  auto* status = new QLabel(&panel);
  status->setGeometry(0, 474, 510, 20);
  status->setAutoFillBackground(true);
  QPalette green = status->palette();
  green.setColor(QPalette::Window, QColor(0, 255, 0));
  status->setPalette(green);
  ShowAndPaint();
  Move(panel, 200, 300);
  QApplication::processEvents();
  const QImage shown = panel.grab().toImage();
  EXPECT_EQ(PixelAt(shown, 5, 478), qRgb(195, 195, 195));
  EXPECT_EQ(PixelAt(shown, 2, 492), qRgb(0, 255, 0));  // the label itself below the text
}

}  // namespace
}  // namespace kelvora::gui
