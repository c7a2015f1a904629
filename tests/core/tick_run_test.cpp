// The tick on a model with fixed clock values: which texts it forms, what it
// leaves alone, and what it asks the window to repaint.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>

#include "astro/map_projection.h"
#include "astro/moon.h"
#include "astro/perigee.h"
#include "astro/sources.h"
#include "astro/time_helpers.h"
#include "tick/commands.h"
#include "tick/tick.h"

namespace kelvora {
namespace {

// 2000-01-01 12:00:00 UTC: 10957 days of 86400 s plus 43200 s.
constexpr std::int64_t kNoonJ2000 = 946728000;
// 2150-01-01: past the last year the calendar handles.
constexpr std::int64_t kYear2150 = 5680281600;

TrackerModel HomeModel() {
  TrackerModel model;
  model.home.latitude = model.home.sunLatitude = 29.42;
  model.home.longitude = model.home.sunLongitude = 95.36;
  model.home.locator = "EL29HK";
  return model;
}

bool HasPanelInvalidation(const TickOutcome& outcome) {
  return std::count(outcome.invalidate.begin(), outcome.invalidate.end(), kOutlineRepaintRect) > 0;
}

std::string Fixed(const char* format, double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

TEST(TickStatusTimer, AlternatesOnlyTheStatusText) {
  TrackerModel model = HomeModel();
  RunTick(model, kTickTimerId, kNoonJ2000);
  const DisplayTexts before = model.texts;
  const double sunAzimuth = model.tracking.sunAzimuth;
  const int phase = model.tracking.phaseIndex;

  // A clock value years away: the status timer must not look at it.
  const TickOutcome first = RunTick(model, kStatusTimerId, kNoonJ2000 + 400 * 86400);
  ASSERT_TRUE(first.exchanged.has_value());
  EXPECT_EQ(model.texts[TextId::kStatusLine], "  ");
  for (const DisplayTextInfo& info : kDisplayTextTable) {
    if (info.id != TextId::kStatusLine) {
      EXPECT_EQ(model.texts[info.id], before[info.id]) << info.label;
    }
  }
  EXPECT_EQ((*first.exchanged)[TextId::kStatusLine], "  ");
  EXPECT_EQ((*first.exchanged)[TextId::kMoonAzimuth], before[TextId::kMoonAzimuth]);
  EXPECT_FALSE(first.invalidateAll);
  EXPECT_TRUE(first.invalidate.empty());
  EXPECT_EQ(first.checkedSourceCommand, 0);
  EXPECT_EQ(model.tracking.sunAzimuth, sunAzimuth);
  EXPECT_EQ(model.tracking.phaseIndex, phase);

  RunTick(model, kStatusTimerId, 0);
  EXPECT_EQ(model.texts[TextId::kStatusLine], " ");
  RunTick(model, kStatusTimerId, 0);
  EXPECT_EQ(model.texts[TextId::kStatusLine], "  ");
  EXPECT_EQ(model.tracking.statusCounter, 3);
}

TEST(TickTimers, StepTimerClearsPendingStepOthersKeepIt) {
  TrackerModel model = HomeModel();
  model.tracking.stepPending = true;
  RunTick(model, kTickTimerId, kNoonJ2000);
  EXPECT_TRUE(model.tracking.stepPending);
  RunTick(model, kRefreshTimerId, kNoonJ2000);
  EXPECT_TRUE(model.tracking.stepPending);
  const TickOutcome outcome = RunTick(model, kStepTimerId, kNoonJ2000);
  EXPECT_FALSE(model.tracking.stepPending);
  // ... and then runs the full tick.
  ASSERT_TRUE(outcome.exchanged.has_value());
  EXPECT_FALSE((*outcome.exchanged)[TextId::kMoonAzimuth].empty());
}

TEST(TickTexts, FollowTheHomeAndSecondStationFixes) {
  TrackerModel model = HomeModel();
  model.station2.latitude = 51.5;
  model.station2.longitude = 0.1;
  model.station2.locator = "IO91WM";
  const TickOutcome outcome = RunTick(model, kTickTimerId, kNoonJ2000);
  ASSERT_TRUE(outcome.exchanged.has_value());
  const DisplayTexts& shown = *outcome.exchanged;

  const TimeBase base{};
  const auto home = MoonPosition(29.42, 95.36, kNoonJ2000, base);
  const auto far = MoonPosition(51.5, 0.1, kNoonJ2000, base);
  ASSERT_TRUE(home && far);
  EXPECT_EQ(shown[TextId::kMoonAzimuth], Fixed("%4.2f deg.", home->azimuth));
  EXPECT_EQ(shown[TextId::kMoonElevation], Fixed("%4.2f deg.", home->elevation));
  EXPECT_EQ(shown[TextId::kMoonDeclination], Fixed("%4.2f deg", home->declination * kRadToDeg));
  EXPECT_EQ(shown[TextId::kMoonRange], Fixed("%8.1fKm", home->distance));
  EXPECT_EQ(shown[TextId::kStation2Azimuth], Fixed("%3.1f deg", far->azimuth));
  EXPECT_EQ(shown[TextId::kStation2Elevation], Fixed("%3.1f deg", far->elevation));
  EXPECT_EQ(model.tracking.moonUpStation2, far->elevation > 0.0);
  EXPECT_EQ(model.tracking.moonUpHome, home->elevation > 0.0);
  // The shared moon values are the home station's.
  EXPECT_EQ(model.tracking.moonHourAngle, home->hourAngle);
  EXPECT_EQ(model.tracking.moonDayCount, home->dayCount);
  EXPECT_EQ(model.tracking.moonRange, home->distance);

  EXPECT_EQ(shown[TextId::kClock], "Sat Jan  1 12:00:00 2000");
  EXPECT_EQ(shown[TextId::kHomeLocator], "Home: EL29HK");
  EXPECT_EQ(shown[TextId::kStation2Locator], "IO91WM");
  EXPECT_EQ(shown[TextId::kPathLoss], PathLossText(PathLoss(home->distance)));
  EXPECT_THAT(shown[TextId::kPolarityOffset], testing::AnyOf(testing::EndsWith("° cw"), testing::EndsWith("° ccw")));
}

TEST(TickTexts, SecondStationUnsetShowsNotAvailableAndKeepsItsFlag) {
  for (const bool flag : {false, true}) {
    TrackerModel model = HomeModel();
    model.tracking.moonUpStation2 = flag;
    RunTick(model, kTickTimerId, kNoonJ2000);
    EXPECT_EQ(model.texts[TextId::kStation2Azimuth], "N/A");
    EXPECT_EQ(model.texts[TextId::kStation2Elevation], "N/A");
    EXPECT_EQ(model.texts[TextId::kStation2Locator], "None");
    EXPECT_EQ(model.texts[TextId::kPolarityOffset], "N/A");
    EXPECT_EQ(model.tracking.moonUpStation2, flag);
  }
}

TEST(TickTexts, SecondStationLocatorShownOnlyWithSixCharacters) {
  struct Row {
    const char* name;
    const char* locator;
    const char* text;
  };
  const Row rows[] = {{"six", "JO01AA", "JO01AA"},
                      {"four", "JO01", "None"},
                      {"empty", "", "None"},
                      {"seven", "JO01AAX", "None"}};
  for (const Row& row : rows) {
    TrackerModel model = HomeModel();
    model.station2.latitude = 51.0;
    model.station2.longitude = -0.1;
    model.station2.locator = row.locator;
    RunTick(model, kTickTimerId, kNoonJ2000);
    EXPECT_EQ(model.texts[TextId::kStation2Locator], row.text) << row.name;
  }
}

TEST(TickTexts, ClockIncludesGmtOffsetAndTimeOffset) {
  struct Row {
    const char* name;
    int gmtOffsetHours;
    int timeOffset;
    const char* clock;  // noon UTC plus both offsets, by hand
  };
  const Row rows[] = {
      {"live_utc", 0, 0, "Sat Jan  1 12:00:00 2000"},
      {"six_hours_behind", 6, 0, "Sat Jan  1 18:00:00 2000"},
      {"east_of_greenwich", -10, 0, "Sat Jan  1 02:00:00 2000"},
      {"stepped_back_a_day", 6, -86400, "Fri Dec 31 18:00:00 1999"},
      {"stepped_forward_a_year", 0, 31536000, "Sun Dec 31 12:00:00 2000"},
  };
  for (const Row& row : rows) {
    TrackerModel model = HomeModel();
    model.home.gmtOffsetHours = row.gmtOffsetHours;
    model.tracking.timeOffset = row.timeOffset;
    RunTick(model, kTickTimerId, kNoonJ2000);
    EXPECT_EQ(model.texts[TextId::kClock], row.clock) << row.name;
  }
}

TEST(TickTexts, TimeOffsetMovesClockAndPositionsTogether) {
  // The same moment reached by a later clock or by a time offset.
  constexpr int kOffset = 3 * 86400 + 7200;
  TrackerModel stepped = HomeModel();
  stepped.tracking.timeOffset = kOffset;
  TrackerModel later = HomeModel();
  RunTick(stepped, kTickTimerId, kNoonJ2000);
  RunTick(later, kTickTimerId, kNoonJ2000 + kOffset);
  EXPECT_EQ(stepped.texts.text, later.texts.text);
  EXPECT_EQ(stepped.tracking.moonMarker, later.tracking.moonMarker);
  EXPECT_EQ(stepped.tracking.sunMarker, later.tracking.sunMarker);
  EXPECT_EQ(stepped.tracking.phaseIndex, later.tracking.phaseIndex);

  // And it does move them: three days on, the moon is elsewhere.
  TrackerModel live = HomeModel();
  RunTick(live, kTickTimerId, kNoonJ2000);
  EXPECT_NE(live.texts[TextId::kClock], stepped.texts[TextId::kClock]);
  EXPECT_NE(live.texts[TextId::kMoonDeclination], stepped.texts[TextId::kMoonDeclination]);
}

TEST(TickSourceLine, ReachesTheWindowOneExchangeLate) {
  TrackerModel model = HomeModel();
  const TickOutcome first = RunTick(model, kTickTimerId, kNoonJ2000);
  ASSERT_TRUE(first.exchanged.has_value());
  EXPECT_EQ((*first.exchanged)[TextId::kSourceLine], "");
  EXPECT_THAT(model.texts[TextId::kSourceLine], testing::StartsWith("Quiet Sky   Az: "));
  // The first tick puts the mark on "&Quiet Sky".
  EXPECT_EQ(first.checkedSourceCommand, kCmdQuietSky);

  const std::string formed = model.texts[TextId::kSourceLine];
  const TickOutcome second = RunTick(model, kTickTimerId, kNoonJ2000 + 60);
  EXPECT_EQ((*second.exchanged)[TextId::kSourceLine], formed);
}

TEST(TickSourceLine, EachTrackedSource) {
  struct Row {
    const char* name;
    int code;
    const char* prefix;  // "" when the line must stay as it was
    int checkedCommand;
  };
  const Row rows[] = {
      {"quiet_sky", 1, "Quiet Sky   Az: ", kCmdQuietSky},
      {"cassiopeia", 2, "Cassiopeia A   Az: ", kCmdCassiopeiaA},
      {"centaurus_not_available", 3, "Not Available", 0},
      {"cygnus", 4, "Cygnus A   Az: ", kCmdCygnusA},
      {"galactic_centre", 5, "Galactic Ctr   Az: ", kCmdGalacticCentre},
      {"taurus_not_available", 6, "Not Available", 0},
      {"user_star", 7, "My Star   Az: ", 0},
      {"unknown_code_leaves_line", 42, "", 0},
  };
  for (const Row& row : rows) {
    TrackerModel model = HomeModel();
    model.tracking.trackedSource = row.code;
    model.tracking.userStarRa = "5.5";
    model.tracking.userStarDec = "22.0";
    model.texts[TextId::kSourceLine] = "previous line";
    const TickOutcome outcome = RunTick(model, kTickTimerId, kNoonJ2000);
    if (*row.prefix == '\0') {
      EXPECT_EQ(model.texts[TextId::kSourceLine], "previous line") << row.name;
    } else {
      EXPECT_THAT(model.texts[TextId::kSourceLine], testing::StartsWith(row.prefix)) << row.name;
    }
    EXPECT_EQ(outcome.checkedSourceCommand, row.checkedCommand) << row.name;
    EXPECT_EQ(model.tracking.trackedSource, row.code) << row.name;
  }
}

TEST(TickPerigee, CountsMatchADirectCountAtEveryTick) {
  // The tick recounts perigee and apogee only when the UTC day changes; that
  // must give what counting at every tick gives. Five-hour steps over 40 days
  // cross every day boundary and pass a perigee and an apogee.
  TrackerModel model = HomeModel();
  PerigeeApogee direct{0, 0};
  for (std::int64_t clock = kNoonJ2000; clock < kNoonJ2000 + 40 * 86400; clock += 5 * 3600) {
    RunTick(model, kTickTimerId, clock);
    direct = UpdatePerigeeApogee(model.tracking.moonDayCount, direct);
    ASSERT_EQ(model.tracking.perigeeDays, direct.perigeeDays) << clock;
    ASSERT_EQ(model.tracking.apogeeDays, direct.apogeeDays) << clock;
    ASSERT_EQ(model.texts[TextId::kPerigee], PerigeeDaysText(direct.perigeeDays)) << clock;
  }
}

TEST(TickFootprint, RebuiltOnlyWhenTheViewedBodyPassesAWholeDegree) {
  TrackerModel model = HomeModel();
  const TickOutcome first = RunTick(model, kTickTimerId, kNoonJ2000);
  EXPECT_TRUE(HasPanelInvalidation(first));
  EXPECT_GT(model.tracking.footprintResult, 0);
  EXPECT_EQ(model.tracking.last.moonHourAngle,
            static_cast<int>(model.tracking.moonHourAngle * kRadToDeg));

  // Ten seconds later the moon's hour angle has moved about 0.04 degrees.
  const int remembered = model.tracking.last.moonHourAngle;
  const TickOutcome same = RunTick(model, kTickTimerId, kNoonJ2000 + 10);
  if (static_cast<int>(model.tracking.moonHourAngle * kRadToDeg) == remembered) {
    EXPECT_FALSE(HasPanelInvalidation(same));
  }

  // Ten minutes later it has passed at least one whole degree.
  const TickOutcome moved = RunTick(model, kTickTimerId, kNoonJ2000 + 600);
  EXPECT_TRUE(HasPanelInvalidation(moved));
  EXPECT_NE(model.tracking.last.moonHourAngle, remembered);
}

TEST(TickFootprint, SunViewLeavesTheMoonOutlineUntilMoonViewAsksForIt) {
  TrackerModel model = HomeModel();
  RunTick(model, kTickTimerId, kNoonJ2000);
  SelectSunView(model);
  RunTick(model, kTickTimerId, kNoonJ2000);
  EXPECT_FALSE(model.view.sunViewRefresh);
  const int moonRemembered = model.tracking.last.moonHourAngle;
  EXPECT_EQ(model.tracking.last.sunHourAngle,
            static_cast<int>(model.tracking.sunHourAngle * kRadToDeg));

  // Half an hour on the moon has passed several whole degrees; in Sun View its
  // outline stays (only the sun's is rebuilt).
  RunTick(model, kTickTimerId, kNoonJ2000 + 1800);
  EXPECT_EQ(model.tracking.last.moonHourAngle, moonRemembered);

  SelectMoonView(model);
  EXPECT_TRUE(model.view.moonViewRefresh);
  const TickOutcome back = RunTick(model, kTickTimerId, kNoonJ2000 + 1800);
  EXPECT_TRUE(HasPanelInvalidation(back));
  EXPECT_FALSE(model.view.moonViewRefresh);
  EXPECT_EQ(model.tracking.last.moonHourAngle,
            static_cast<int>(model.tracking.moonHourAngle * kRadToDeg));
}

TEST(TickFootprint, SunViewChosenTwiceRecomputesOnce) {
  TrackerModel model = HomeModel();
  RunTick(model, kTickTimerId, kNoonJ2000);
  SelectSunView(model);
  SelectSunView(model);
  const TickOutcome first = RunTick(model, kTickTimerId, kNoonJ2000);
  EXPECT_EQ(std::count(first.invalidate.begin(), first.invalidate.end(), kOutlineRepaintRect), 1);
  const TickOutcome second = RunTick(model, kTickTimerId, kNoonJ2000);
  EXPECT_FALSE(HasPanelInvalidation(second));
}

// The phase picture sits outside the panel rectangle: the tick asks for it
// on its own whenever the picture would change.
TEST(TickPhase, RepaintsThePhaseAreaWhenThePictureChanges) {
  const auto asksForPhase = [](const TickOutcome& outcome) {
    return std::count(outcome.invalidate.begin(), outcome.invalidate.end(), kPhaseRepaintRect);
  };
  struct Row {
    const char* name;
    std::function<void(TrackerModel&)> change;
    std::int64_t clockStep;
    bool repaint;
  } rows[] = {
      {"next_second_same_phase", [](TrackerModel&) {}, 1, false},
      {"five_day_steps_new_phase", [](TrackerModel& m) { m.tracking.timeOffset += 5 * 86400; },
       0, true},
      {"switch_to_sky_map_takes_it_away", [](TrackerModel& m) { SelectSkyMap(m); }, 0, true},
      {"same_map_again", [](TrackerModel& m) { SelectEarthMap(m); }, 0, false},
  };
  for (const Row& r : rows) {
    TrackerModel model = HomeModel();
    EXPECT_EQ(asksForPhase(RunTick(model, kTickTimerId, kNoonJ2000)), 1) << "first tick";
    const int before = model.tracking.phaseIndex;
    r.change(model);
    const TickOutcome outcome = RunTick(model, kTickTimerId, kNoonJ2000 + r.clockStep);
    EXPECT_EQ(asksForPhase(outcome), r.repaint ? 1 : 0) << r.name;
    if (std::string(r.name) == "five_day_steps_new_phase") {
      EXPECT_NE(model.tracking.phaseIndex, before);
    }
  }
}

TEST(TickMarkers, HomeMarkerMoveRepaintsWholeWindow) {
  TrackerModel model = HomeModel();
  const TickOutcome first = RunTick(model, kTickTimerId, kNoonJ2000);
  EXPECT_TRUE(first.invalidateAll);
  EXPECT_EQ(model.tracking.homeMarker,
            (MapPoint{MapXForLongitude(95.36), MapYForLatitude(29.42) + 148}));
  EXPECT_EQ(model.tracking.last.homeLatitude, 29);
  EXPECT_EQ(model.tracking.last.homeLongitude, 95);

  // Within the same whole degrees: nothing.
  model.home.latitude = 29.9;
  EXPECT_FALSE(RunTick(model, kTickTimerId, kNoonJ2000).invalidateAll);

  model.home.longitude = 96.1;
  EXPECT_TRUE(RunTick(model, kTickTimerId, kNoonJ2000).invalidateAll);
  EXPECT_EQ(model.tracking.homeMarker,
            (MapPoint{MapXForLongitude(96.1), MapYForLatitude(29.9) + 148}));
}

TEST(TickMarkers, AbsurdLatitudeFromTheSettingsFileIsClampedNotOverflowed) {
  // The settings file is taken as it is; a latitude beyond int range must not
  // overflow the whole-degree bookkeeping (the sanitizer build checks this).
  TrackerModel model = HomeModel();
  model.home.latitude = 1.0e12;
  EXPECT_TRUE(RunTick(model, kTickTimerId, kNoonJ2000).invalidateAll);
  EXPECT_EQ(model.tracking.last.homeLatitude, 1000000000);
  EXPECT_FALSE(RunTick(model, kTickTimerId, kNoonJ2000).invalidateAll);
}

TEST(TickMarkers, SecondStationMarkerMovesWithoutRepaint) {
  TrackerModel model = HomeModel();
  RunTick(model, kTickTimerId, kNoonJ2000);
  model.station2.latitude = -33.9;
  model.station2.longitude = -151.2;
  const TickOutcome outcome = RunTick(model, kTickTimerId, kNoonJ2000);
  EXPECT_FALSE(outcome.invalidateAll);
  EXPECT_EQ(model.tracking.station2Marker,
            (MapPoint{MapXForLongitude(-151.2), MapYForLatitude(-33.9) + 148}));
}

TEST(TickMarkers, FullRepaintRequestIsServedOnce) {
  TrackerModel model = HomeModel();
  RunTick(model, kTickTimerId, kNoonJ2000);
  model.tracking.fullRepaintRequest = true;
  EXPECT_TRUE(RunTick(model, kTickTimerId, kNoonJ2000).invalidateAll);
  EXPECT_FALSE(model.tracking.fullRepaintRequest);
  EXPECT_FALSE(RunTick(model, kTickTimerId, kNoonJ2000).invalidateAll);
}

TEST(TickSkyMap, TrackFilledOnlyWhileSkyMapShown) {
  TrackerModel model = HomeModel();
  RunTick(model, kTickTimerId, kNoonJ2000);
  EXPECT_EQ(model.tracking.moonTrack[0].column, 0.0);
  SelectSkyMap(model);
  RunTick(model, kTickTimerId, kNoonJ2000);
  // The moon moves about 13 degrees a day against the stars.
  EXPECT_NE(model.tracking.moonTrack[0].column, model.tracking.moonTrack[5].column);
  EXPECT_NE(model.tracking.moonSkyPoint, MapPoint{});
}

TEST(TickOutsideSupportedYears, ShowsPlaceholdersAndKeepsRunning) {
  TrackerModel model = HomeModel();
  model.station2.latitude = 51.5;
  model.station2.longitude = 0.1;
  RunTick(model, kTickTimerId, kNoonJ2000);
  const double moonRange = model.tracking.moonRange;
  SelectSkyMap(model);
  const TickOutcome outcome = RunTick(model, kTickTimerId, kYear2150);
  ASSERT_TRUE(outcome.exchanged.has_value());
  for (const TextId id :
       {TextId::kMoonAzimuth, TextId::kMoonDeclination, TextId::kMoonRange, TextId::kClock,
        TextId::kMoonElevation, TextId::kPerigee, TextId::kApogee, TextId::kSkyTemperature,
        TextId::kPathLoss, TextId::kDegradation, TextId::kStation2Azimuth,
        TextId::kStation2Elevation, TextId::kEchoDoppler}) {
    EXPECT_EQ(model.texts[id], kNoFigureText) << TextInfo(id).label;
  }
  EXPECT_EQ(model.tracking.moonRange, moonRange);
  // The sun needs no calendar and is still shown.
  EXPECT_THAT(model.texts[TextId::kSunAzimuth], testing::EndsWith(" deg"));
  EXPECT_EQ(model.texts[TextId::kHomeLocator], "Home: EL29HK");
}

}  // namespace
}  // namespace kelvora
