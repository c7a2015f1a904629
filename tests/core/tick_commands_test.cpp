// The window's commands as operations: state changes, repaint rectangles and
// menu marks.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "stations/locator.h"
#include "tick/commands.h"
#include "tick/tick.h"

namespace kelvora {
namespace {

using testing::ElementsAre;
using testing::Pair;

constexpr std::int64_t kNoonJ2000 = 946728000;  // 2000-01-01 12:00:00 UTC

// The map picture, columns 0-430 and rows 170-474.
bool Covers(const PixelRect& rect, int left, int top, int right, int bottom) {
  return rect.left <= left && rect.top <= top && rect.right >= right && rect.bottom >= bottom;
}

// What a command repaints lies in the window, and covers the map below its
// caption row, but for its outermost columns; the map commands, which change
// the picture, cover all of it.
TEST(TickCommandsRepaints, RectanglesCoverTheMapPicture) {
  const int mapBottom = kMapTop + kMapShownHeight;  // exclusive
  for (const PixelRect& rect : {kMapRepaintRect, kOutlineRepaintRect, kMapInsideRepaintRect,
                                kViewRepaintRect, kStation2RepaintRect, kSunViewKeyRepaintRect}) {
    EXPECT_TRUE(Covers(PixelRect{0, 0, kClientWidth, kClientHeight}, rect.left, rect.top,
                       rect.right, rect.bottom));
    EXPECT_TRUE(Covers(rect, 1, kMapTop + 1, kMapShownWidth - 1, mapBottom));
  }
  for (const PixelRect& rect : {kMapRepaintRect, kOutlineRepaintRect}) {
    EXPECT_TRUE(Covers(rect, 0, kMapTop, kMapShownWidth, mapBottom));
  }
  TrackerModel model;
  EXPECT_TRUE(Covers(SelectSkyMap(model).invalidate.at(0), 0, kMapTop, kMapShownWidth, mapBottom));
}

TEST(TickCommandsView, SunAndMoonViewSelection) {
  TrackerModel model;
  const CommandOutcome toSun = SelectSunView(model);
  EXPECT_TRUE(model.view.sunView);
  EXPECT_TRUE(model.view.sunViewRefresh);
  EXPECT_THAT(toSun.invalidate, ElementsAre(kViewRepaintRect));
  EXPECT_THAT(toSun.menuChecks, ElementsAre(Pair(kCmdFromSun, true), Pair(kCmdFromMoon, false)));

  // Again: the marks are set once more, nothing else happens.
  model.view.sunViewRefresh = false;
  const CommandOutcome again = SelectSunView(model);
  EXPECT_TRUE(again.invalidate.empty());
  EXPECT_FALSE(model.view.sunViewRefresh);
  EXPECT_THAT(again.menuChecks, ElementsAre(Pair(kCmdFromSun, true), Pair(kCmdFromMoon, false)));

  const CommandOutcome toMoon = SelectMoonView(model);
  EXPECT_FALSE(model.view.sunView);
  EXPECT_TRUE(model.view.moonViewRefresh);
  EXPECT_THAT(toMoon.invalidate, ElementsAre(kViewRepaintRect));
  EXPECT_THAT(toMoon.menuChecks, ElementsAre(Pair(kCmdFromSun, false), Pair(kCmdFromMoon, true)));

  model.view.moonViewRefresh = false;
  EXPECT_TRUE(SelectMoonView(model).invalidate.empty());
  EXPECT_FALSE(model.view.moonViewRefresh);
}

TEST(TickCommandsView, CtrlSTogglesAndRepaintsFromTheValueRows) {
  TrackerModel model;
  const CommandOutcome on = ToggleSunView(model);
  EXPECT_TRUE(model.view.sunView);
  EXPECT_TRUE(model.view.sunViewRefresh);
  EXPECT_THAT(on.invalidate, ElementsAre(kSunViewKeyRepaintRect));
  EXPECT_THAT(on.menuChecks, ElementsAre(Pair(kCmdFromSun, true), Pair(kCmdFromMoon, false)));

  const CommandOutcome off = ToggleSunView(model);
  EXPECT_FALSE(model.view.sunView);
  EXPECT_TRUE(model.view.moonViewRefresh);
  EXPECT_THAT(off.invalidate, ElementsAre(kSunViewKeyRepaintRect));
  EXPECT_THAT(off.menuChecks, ElementsAre(Pair(kCmdFromSun, false), Pair(kCmdFromMoon, true)));
}

TEST(TickCommandsMap, SkyMapTwiceRepaintsOnce) {
  TrackerModel model;
  const CommandOutcome first = SelectSkyMap(model);
  EXPECT_EQ(model.view.mapBitmap, kSkyMapBitmap);
  EXPECT_TRUE(model.view.skyMap);
  EXPECT_TRUE(first.skyViewBox);
  EXPECT_TRUE(first.pushTexts);
  EXPECT_THAT(first.invalidate, ElementsAre(kMapRepaintRect));
  EXPECT_THAT(first.menuChecks,
              ElementsAre(Pair(kCmdSkyMap, true), Pair(kCmdEarthMap, false)));

  const CommandOutcome second = SelectSkyMap(model);
  EXPECT_TRUE(second.invalidate.empty());
  EXPECT_FALSE(second.pushTexts);
  EXPECT_TRUE(second.skyViewBox);
  EXPECT_EQ(model.view.mapBitmap, kSkyMapBitmap);

  const CommandOutcome earth = SelectEarthMap(model);
  EXPECT_EQ(model.view.mapBitmap, kEarthMapBitmap);
  EXPECT_FALSE(model.view.skyMap);
  EXPECT_FALSE(earth.skyViewBox);
  EXPECT_THAT(earth.invalidate, ElementsAre(kMapRepaintRect));
  EXPECT_THAT(earth.menuChecks,
              ElementsAre(Pair(kCmdSkyMap, false), Pair(kCmdEarthMap, true)));
  EXPECT_TRUE(SelectEarthMap(model).invalidate.empty());
}

TEST(TickCommandsMap, CheckBoxTogglesEveryTime) {
  TrackerModel model;
  for (const bool expectSky : {true, false, true}) {
    const CommandOutcome outcome = ToggleMap(model);
    EXPECT_EQ(model.view.skyMap, expectSky);
    EXPECT_EQ(model.view.mapBitmap, expectSky ? kSkyMapBitmap : kEarthMapBitmap);
    EXPECT_EQ(outcome.skyViewBox, expectSky);
    EXPECT_TRUE(outcome.pushTexts);
    EXPECT_THAT(outcome.invalidate, ElementsAre(kMapRepaintRect));
    EXPECT_THAT(outcome.menuChecks,
                ElementsAre(Pair(kCmdSkyMap, expectSky), Pair(kCmdEarthMap, !expectSky)));
  }
}

TEST(TickCommandsSource, MarkGoesToTheChosenItemOnly) {
  struct Row {
    const char* name;
    int code;
    int command;
    const char* linePrefix;  // nullptr: the command leaves text 19 alone
  };
  const Row rows[] = {
      {"quiet_sky", 1, kCmdQuietSky, "Quiet Sky   Az: "},
      {"cassiopeia", 2, kCmdCassiopeiaA, "Cassiopeia A   Az: "},
      {"centaurus", 3, kCmdCentaurusA, nullptr},
      {"cygnus", 4, kCmdCygnusA, "Cygnus A   Az: "},
      {"galactic_centre", 5, kCmdGalacticCentre, "Galactic Ctr   Az: "},
      {"taurus", 6, kCmdTaurusA, nullptr},
  };
  for (const Row& row : rows) {
    TrackerModel model;
    model.home.latitude = 29.42;
    model.home.longitude = 95.36;
    model.texts[TextId::kSourceLine] = "old";
    const CommandOutcome outcome = SelectSource(model, row.code, kNoonJ2000);
    EXPECT_EQ(model.tracking.trackedSource, row.code) << row.name;
    ASSERT_EQ(outcome.menuChecks.size(), 7u) << row.name;
    for (const auto& [command, checked] : outcome.menuChecks) {
      EXPECT_EQ(checked, command == row.command) << row.name << " " << command;
    }
    if (row.linePrefix != nullptr) {
      EXPECT_THAT(model.texts[TextId::kSourceLine], testing::StartsWith(row.linePrefix)) << row.name;
    } else {
      EXPECT_EQ(model.texts[TextId::kSourceLine], "old") << row.name;
    }
  }
}

TEST(TickCommandsSource, CodesOutsideTheBuiltInItemsChangeNothing) {
  for (const int code : {0, 7, 8, -1}) {
    TrackerModel model;
    model.tracking.trackedSource = 2;
    const CommandOutcome outcome = SelectSource(model, code, kNoonJ2000);
    EXPECT_EQ(model.tracking.trackedSource, 2) << code;
    EXPECT_TRUE(outcome.menuChecks.empty()) << code;
  }
}

TEST(TickCommandsSource, UserStarItemMark) {
  const CommandOutcome outcome = CheckUserStarItem();
  ASSERT_EQ(outcome.menuChecks.size(), 7u);
  for (const auto& [command, checked] : outcome.menuChecks) {
    EXPECT_EQ(checked, command == kCmdOtherStar) << command;
  }
}

TEST(TickCommandsUnits, CtrlKToggle) {
  struct Row {
    const char* name;
    int before;
    int after;
  };
  const Row rows[] = {{"miles_to_km", 1, 0}, {"km_to_miles", 0, 1}, {"odd_value_to_km", 5, 0}};
  for (const Row& row : rows) {
    TrackerModel model;
    model.settings.distanceUnit = 1.0;
    model.home.distanceUnit = row.before;
    ToggleDistanceUnit(model);
    EXPECT_EQ(model.home.distanceUnit, row.after) << row.name;
    // The settings record keeps its own unit.
    EXPECT_EQ(model.settings.distanceUnit, 1.0) << row.name;
  }
}

TEST(TickCommandsTime, StepsMoveTheOffset) {
  TrackerModel model;
  StepTime(model, 86400, kNoonJ2000);
  EXPECT_EQ(model.tracking.timeOffset, 86400);
  StepTime(model, -604800, kNoonJ2000);
  EXPECT_EQ(model.tracking.timeOffset, 86400 - 604800);
  StepTime(model, 60, kNoonJ2000);
  EXPECT_EQ(model.tracking.timeOffset, 86400 - 604800 + 60);
}

class StartUpTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kelvora_startup_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  void WriteSettings(std::initializer_list<double> values) {
    std::ofstream out(folder_ / "Dorvakin.dat", std::ios::binary);
    for (const double value : values) {
      out.write(reinterpret_cast<const char*>(&value), sizeof value);
    }
  }
  std::filesystem::path folder_;
};

TEST_F(StartUpTest, NoSettingsFileGivesTheDefaultStation) {
  TrackerModel model;
  EXPECT_TRUE(StartUp(model, folder_).ok());  // a first start is no damage
  EXPECT_EQ(model.home.latitude, 29.42);
  EXPECT_EQ(model.home.longitude, 95.36);
  EXPECT_EQ(model.home.sunLatitude, 29.42);
  EXPECT_EQ(model.home.gmtOffsetHours, 0);
  EXPECT_EQ(model.home.distanceUnit, 1);
  EXPECT_EQ(model.home.locator, "EL29HK");
}

TEST_F(StartUpTest, LocatorComesFromTheLoadedPosition) {
  // 51.5 N, 0.1 W is IO91WM; GMT offset -5.5 truncates to -5; 0.0 is km.
  WriteSettings({51.5, 0.1, -5.5, 0.0});
  TrackerModel model;
  EXPECT_TRUE(StartUp(model, folder_).ok());
  EXPECT_EQ(model.home.locator, "IO91WM");
  EXPECT_EQ(model.home.gmtOffsetHours, -5);
  EXPECT_EQ(model.home.distanceUnit, 0);
  const TickOutcome outcome = RunTick(model, kTickTimerId, kNoonJ2000);
  EXPECT_EQ((*outcome.exchanged)[TextId::kHomeLocator], "Home: IO91WM");
  EXPECT_EQ((*outcome.exchanged)[TextId::kClock], "Sat Jan  1 07:00:00 2000");
}

TEST_F(StartUpTest, DamagedFieldGivesOneNoticeAndAValidLocator) {
  // Random bytes once gave a locator with a NUL in it: now the latitude
  // falls back alone and the locator is built from a real position.
  WriteSettings({-2e87, 0.1, 999.0, 0.0});
  TrackerModel model;
  const Status loaded = StartUp(model, folder_);
  ASSERT_FALSE(loaded.ok());
  EXPECT_NE(loaded.reason().find("Dorvakin.dat"), std::string::npos) << loaded.reason();
  EXPECT_NE(loaded.reason().find("latitude and GMT offset"), std::string::npos)
      << loaded.reason();
  EXPECT_EQ(model.home.locator, PositionToLocator(29.42, 0.1));
  EXPECT_EQ(model.home.locator.find('\0'), std::string::npos);
  EXPECT_EQ(model.home.gmtOffsetHours, 0);
  EXPECT_EQ(model.home.distanceUnit, 0);  // the valid unit field is kept
}

}  // namespace
}  // namespace kelvora
