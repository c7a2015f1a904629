// The station commands of the window and its dialogs, without Qt: placing,
// removing and parking the second station, the home station's position, the
// return to live time and the earth map's read-out.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "astro/moon.h"
#include "stations/directory.h"
#include "stations/locator.h"
#include "tick/commands.h"
#include "tick/map_readout.h"

namespace kelvora {
namespace {

// 2024-01-03 (a Wednesday) 12:00 as a clock value.
constexpr std::int64_t kWednesdayNoon = 19725LL * 86400 + 12 * 3600;
constexpr std::int64_t kYear2150 = 5680281600;

TrackerModel Houston() {
  TrackerModel model;
  model.home.latitude = model.home.sunLatitude = 29.42;
  model.home.longitude = model.home.sunLongitude = 95.36;
  model.home.locator = "EL29HK";
  model.home.distanceUnit = 1;
  return model;
}

TEST(PlaceStation2, TakesThePositionAsItIsAndMakesTheLocator) {
  TrackerModel model = Houston();
  PlaceStation2(model, 40.0, 70.96);
  EXPECT_EQ(model.station2.latitude, 40.0);
  EXPECT_EQ(model.station2.longitude, 70.96);
  // a = 9 - 70.96 * 0.05 = 5.452: F, 4, M; b = 13.0: N, 0, A.
  EXPECT_EQ(model.station2.locator, "FN40MA");
  PlaceStation2(model, 51.123456, -0.987654);
  EXPECT_EQ(model.station2.latitude, 51.123456);  // not rounded
  EXPECT_FALSE(model.station2.callReset);
}

TEST(PlaceStation2, OnTheMapGoesToThePointAndMakesTheCallStale) {
  TrackerModel model = Houston();
  // Window pixel (200, 300): 45.40226 N, 102.61696 W, locator DN85QJ.
  PlaceStation2OnMap(model, 200, 300);
  EXPECT_NEAR(model.station2.latitude, 45.40226, 1e-5);
  EXPECT_NEAR(model.station2.longitude, 102.61696, 1e-9);
  EXPECT_EQ(model.station2.locator, "DN85QJ");
  EXPECT_TRUE(model.station2.callReset);
}

struct LocatorCase {
  const char* name;
  const char* text;
  const char* locator;
  double latitude;
  double longitude;
};

// Centres by the subsquare rule, rounded to hundredths: FN42MM 42.520833,
// 70.958333; EM12OV 32.895833, 96.791667; FN42XX 42.979167, 70.041667.
TEST(PlaceStation2AtLocator, CentreOfTheSubsquareRounded) {
  const LocatorCase cases[] = {
      {"four_characters_get_mm", "FN42", "FN42MM", 42.52, 70.96},
      {"lower_case", "em12ov", "EM12OV", 32.9, 96.79},
      {"subsquare_zz_clamps_to_xx", "FN42ZZ", "FN42XX", 42.98, 70.04},
  };
  for (const LocatorCase& c : cases) {
    TrackerModel model = Houston();
    ASSERT_TRUE(PlaceStation2AtLocator(model, c.text)) << c.name;
    EXPECT_EQ(model.station2.locator, c.locator) << c.name;
    EXPECT_DOUBLE_EQ(model.station2.latitude, c.latitude) << c.name;
    EXPECT_DOUBLE_EQ(model.station2.longitude, c.longitude) << c.name;
  }
}

TEST(PlaceStation2AtLocator, TextsWithoutASubsquareChangeNothing) {
  for (const char* text : {"", "F", "FN4", "FN42A"}) {
    TrackerModel model = Houston();
    PlaceStation2(model, 10.0, 20.0);
    EXPECT_FALSE(PlaceStation2AtLocator(model, text)) << text;
    EXPECT_EQ(model.station2.latitude, 10.0) << text;
    EXPECT_EQ(model.station2.locator, PositionToLocator(10.0, 20.0)) << text;
  }
}

// The rounded centre stays inside its subsquare: the locator comes back.
TEST(PlaceStation2AtLocator, EverySubsquareKeepsItsLocator) {
  std::string locator = "AA00AA";
  for (char field = 'A'; field <= 'R'; field += 3) {
    for (char square = '0'; square <= '9'; square += 3) {
      for (char sub = 'A'; sub <= 'X'; ++sub) {
        locator = {field, static_cast<char>('R' - (field - 'A')), square,
                   static_cast<char>('9' - (square - '0')), sub, static_cast<char>('X' - (sub - 'A'))};
        TrackerModel model;
        ASSERT_TRUE(PlaceStation2AtLocator(model, locator));
        ASSERT_EQ(model.station2.locator, locator);
      }
    }
  }
}

TEST(PlaceStation2AtGridEntry, RefusedEntriesBecomeTheFallback) {
  const LocatorCase cases[] = {
      {"accepted", "EM12OV", "EM12OV", 32.9, 96.79},
      {"four_characters_get_mm", "FN42", "FN42MM", 42.52, 70.96},
      {"two_characters", "FN", "EL29HK", 29.44, 95.38},
      {"field_beyond_r", "ZZ12AB", "EL29HK", 29.44, 95.38},
      {"five_characters", "FN42A", "EL29HK", 29.44, 95.38},
  };
  for (const LocatorCase& c : cases) {
    TrackerModel model = Houston();
    PlaceStation2AtGridEntry(model, c.text);
    EXPECT_EQ(model.station2.locator, c.locator) << c.name;
    EXPECT_DOUBLE_EQ(model.station2.latitude, c.latitude) << c.name;
    EXPECT_DOUBLE_EQ(model.station2.longitude, c.longitude) << c.name;
  }
}

class DirectoryCommandTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kelvora_station_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    std::ofstream out(folder_ / "EME.DTA");
    out << Record("W5ABC", "em12ov") << Record("W5BAD", "XX99ZZ") << "\\ end\n";
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  static std::string Record(const std::string& call, const std::string& locator) {
    std::string line(249, ' ');
    line.replace(0, call.size(), call);
    line.replace(181, locator.size(), locator);
    return line + "\n";
  }
  std::filesystem::path folder_;
};

TEST_F(DirectoryCommandTest, FoundCallPlacesTheStationAtItsRecordsLocator) {
  TrackerModel model = Houston();
  ASSERT_TRUE(PlaceStation2FromDirectory(model, folder_ / "EME.DTA", "W5A"));
  EXPECT_EQ(model.station2.locator, "EM12OV");
  EXPECT_DOUBLE_EQ(model.station2.latitude, 32.9);
  EXPECT_DOUBLE_EQ(model.station2.longitude, 96.79);
}

TEST_F(DirectoryCommandTest, NoUsableRecordChangesNothing) {
  struct Row {
    const char* file;
    const char* call;
    const char* reason;
  };
  for (const auto& [file, call, reason] :
       {Row{"EME.DTA", "W5BAD", "the directory record for W5BAD has no usable locator"},
        Row{"EME.DTA", "K1XYZ", kDirectoryNotFound},
        Row{"missing.DTA", "W5ABC", kDirectoryFileNotFound}}) {
    TrackerModel model = Houston();
    PlaceStation2(model, 42.52, 70.96);
    const Status placed = PlaceStation2FromDirectory(model, folder_ / file, call);
    ASSERT_FALSE(placed.ok()) << call;
    EXPECT_EQ(placed.reason(), reason) << call;
    EXPECT_EQ(model.station2.locator, "FN42MM") << call;
    EXPECT_EQ(model.station2.latitude, 42.52) << call;
  }
}

TEST(RemoveStation2, LeavesNoStationNoLocatorNothingParked) {
  TrackerModel model = Houston();
  PlaceStation2(model, 42.52, 70.96);
  model.station2.savedLocator = "FN42MM";
  RemoveStation2(model);
  EXPECT_FALSE(model.station2.IsSet());
  EXPECT_FALSE(model.station2.HasLocator());
  EXPECT_TRUE(model.station2.savedLocator.empty());
}

TEST(Station2Parking, ParkedWhileTheDialogRunsAndBackAfterwards) {
  TrackerModel model = Houston();
  PlaceStation2(model, 42.52, 70.96);
  ParkStation2Locator(model);
  EXPECT_FALSE(model.station2.HasLocator());  // no cross on the map meanwhile
  EXPECT_EQ(model.station2.savedLocator, "FN42MM");
  EXPECT_TRUE(model.station2.IsSet());

  // The dialog ends without a locator of its own: the parked one comes back.
  UnparkStation2Locator(model);
  EXPECT_EQ(model.station2.locator, "FN42MM");
  EXPECT_TRUE(model.tracking.fullRepaintRequest);

  // The dialog ends with a new one: that one is parked for the next opening.
  ParkStation2Locator(model);
  model.station2.locator = "EM12OV";
  UnparkStation2Locator(model);
  EXPECT_EQ(model.station2.locator, "EM12OV");
  EXPECT_EQ(model.station2.savedLocator, "EM12OV");
}

TEST(RefreshStation2, RoundsTakesTheParkedLocatorBackAndFormsTheDetails) {
  TrackerModel model = Houston();
  model.home.gmtOffsetHours = 6;
  model.station2.latitude = 42.520833;
  model.station2.longitude = 70.958333;
  model.station2.savedLocator = "FN42MM";
  const Station2Refresh refresh = RefreshStation2(model, kWednesdayNoon);
  EXPECT_DOUBLE_EQ(model.station2.latitude, 42.52);
  EXPECT_DOUBLE_EQ(model.station2.longitude, 70.96);
  EXPECT_EQ(model.station2.locator, "FN42MM");
  EXPECT_FALSE(refresh.clearCall);
  // UTC 18:00; 70.96 W is zone 5: 13:00.
  EXPECT_EQ(model.station2.localTimeText, "Wed, 01:00pm");
  EXPECT_GT(refresh.path.distance, 1000.0);
  EXPECT_FALSE(refresh.path.kmText.empty());
}

TEST(RefreshStation2, TheCallGoesWithTheLocatorOrAfterAMapClick) {
  TrackerModel model = Houston();
  EXPECT_TRUE(RefreshStation2(model, kWednesdayNoon).clearCall);  // no locator

  PlaceStation2OnMap(model, 200, 300);
  EXPECT_TRUE(RefreshStation2(model, kWednesdayNoon).clearCall);
  EXPECT_FALSE(model.station2.callReset);  // served once
  EXPECT_FALSE(RefreshStation2(model, kWednesdayNoon).clearCall);
}

TEST(HomeCommands, LatitudeAndLongitudeMoveHomeAndTheRecordNotTheSun) {
  TrackerModel model = Houston();
  SetHomeLatitude(model, 51.5);
  EXPECT_EQ(model.home.latitude, 51.5);
  EXPECT_EQ(model.settings.latitude, 51.5);
  EXPECT_EQ(model.home.sunLatitude, 29.42);
  SetHomeLongitude(model, 0.1);
  EXPECT_EQ(model.home.longitude, 0.1);
  EXPECT_EQ(model.settings.longitude, 0.1);
  EXPECT_EQ(model.home.sunLongitude, 95.36);
  EXPECT_EQ(model.home.locator, "IO91WM");
}

TEST(HomeCommands, FromLocatorRoundsTheCentre) {
  TrackerModel model = Houston();
  ASSERT_TRUE(SetHomeFromLocator(model, "fn42"));
  EXPECT_DOUBLE_EQ(model.home.latitude, 42.52);
  EXPECT_DOUBLE_EQ(model.home.longitude, 70.96);
  EXPECT_DOUBLE_EQ(model.settings.latitude, 42.52);
  EXPECT_EQ(model.home.locator, "FN42MM");
  for (const char* text : {"F", "FN4", "FN42A"}) {
    EXPECT_FALSE(SetHomeFromLocator(model, text)) << text;
    EXPECT_EQ(model.home.locator, "FN42MM") << text;
  }
}

TEST(HomeCommands, AtStartUpAsThoughTheSettingsFileSaidSo) {
  TrackerModel model = Houston();
  SetHomeAtStartUp(model, -33.85, -151.21);
  EXPECT_EQ(model.home.latitude, -33.85);
  EXPECT_EQ(model.home.sunLatitude, -33.85);
  EXPECT_EQ(model.home.sunLongitude, -151.21);
  EXPECT_EQ(model.settings.longitude, -151.21);
  EXPECT_EQ(model.home.locator, "QF56OD");
}

TEST(ReturnToLiveTime, ClearsTheOffsetAndSaysWhetherThereWasOne) {
  TrackerModel model = Houston();
  EXPECT_FALSE(ReturnToLiveTime(model));
  model.tracking.timeOffset = -3600;
  EXPECT_TRUE(ReturnToLiveTime(model));
  EXPECT_EQ(model.tracking.timeOffset, 0);
}

// Window pixel (200, 300) from Houston: 342.31 degrees, 1171.9 miles =
// 1886.0 km (see the panel's read-out test for the hand calculation).
TEST(MapReadout, FiguresUnderThePointer) {
  TrackerModel model = Houston();
  const MapReadout readout = ComputeMapReadout(model, 200, 300, kWednesdayNoon);
  EXPECT_NEAR(readout.latitude, 45.40226, 1e-5);
  EXPECT_NEAR(readout.longitude, 102.61696, 1e-9);
  EXPECT_EQ(readout.locator, "DN85QJ");
  EXPECT_NEAR(readout.bearing, 342.31, 0.01);
  EXPECT_NEAR(readout.distance, 1171.9, 0.1);
  EXPECT_EQ(readout.distanceUnit, 1);
  const auto moon = MoonPosition(readout.latitude, readout.longitude, kWednesdayNoon, TimeBase{});
  ASSERT_TRUE(moon && readout.moonElevation && readout.moonHourAngle);
  EXPECT_EQ(*readout.moonElevation, moon->elevation);

  model.home.distanceUnit = 0;
  EXPECT_NEAR(ComputeMapReadout(model, 200, 300, kWednesdayNoon).distance, 1886.0, 0.1);
}

TEST(MapReadout, ItsMoonHourAngleIsKeptOnlyAsAStepOfItsOwn) {
  TrackerModel model = Houston();
  model.tracking.moonHourAngle = 1.25;
  const MapReadout readout = ComputeMapReadout(model, 200, 300, kWednesdayNoon);
  EXPECT_EQ(model.tracking.moonHourAngle, 1.25);
  KeepReadoutMoon(model.tracking, readout);
  EXPECT_EQ(model.tracking.moonHourAngle, *readout.moonHourAngle);

  // No moon outside the supported years: the record keeps its value.
  const MapReadout late = ComputeMapReadout(model, 200, 300, kYear2150);
  EXPECT_FALSE(late.moonElevation.has_value());
  EXPECT_FALSE(late.moonHourAngle.has_value());
  model.tracking.moonHourAngle = 2.5;
  KeepReadoutMoon(model.tracking, late);
  EXPECT_EQ(model.tracking.moonHourAngle, 2.5);
}

}  // namespace
}  // namespace kelvora
