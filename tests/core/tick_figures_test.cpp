// The tick's figures: what ComputeFigures hands out, how the texts follow
// from them, and what the tracking record keeps.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "astro/moon.h"
#include "astro/sky.h"
#include "astro/sun.h"
#include "link/doppler.h"
#include "tick/figures.h"
#include "tick/texts.h"
#include "tick/tick.h"

namespace kelvora {
namespace {

constexpr std::int64_t kNoonJ2000 = 946728000;  // 2000-01-01 12:00:00 UTC
constexpr std::int64_t kYear2150 = 5680281600;  // past the last supported year

TrackerModel HoustonLondon() {
  TrackerModel model;
  model.home.latitude = model.home.sunLatitude = 29.42;
  model.home.longitude = model.home.sunLongitude = 95.36;
  model.home.locator = "EL29HK";
  model.station2.latitude = 51.5;
  model.station2.longitude = 0.1;
  model.station2.locator = "IO91WM";
  return model;
}

TEST(TickFigures, AreTheAstronomyOfTheTrackedMoment) {
  TrackerModel model = HoustonLondon();
  model.home.gmtOffsetHours = 6;
  model.tracking.timeOffset = -3600;
  const TickFigures f = ComputeFigures(model, kNoonJ2000);
  const TimeBase base{6, -3600};
  EXPECT_EQ(f.clock, kNoonJ2000);
  EXPECT_EQ(f.utcSeconds, kNoonJ2000 + 5 * 3600);

  const auto home = MoonPosition(29.42, 95.36, kNoonJ2000, base);
  const auto london = MoonPosition(51.5, 0.1, kNoonJ2000, base);
  ASSERT_TRUE(f.homeMoon && f.station2Moon && home && london);
  EXPECT_EQ(f.homeMoon->azimuth, home->azimuth);
  EXPECT_EQ(f.homeMoon->elevation, home->elevation);
  EXPECT_EQ(f.station2Moon->azimuth, london->azimuth);
  EXPECT_EQ(f.sun.azimuth, SunPosition(29.42, 95.36, kNoonJ2000, base).azimuth);
  EXPECT_EQ(*f.skyTemperatureK, SkyTemperature(home->rightAscension * kRadToRaHours));
  EXPECT_EQ(*f.pathLossDb, PathLoss(home->distance));
  EXPECT_EQ(*f.degradationDb, Degradation(*f.skyTemperatureK, *f.pathLossDb));
  EXPECT_TRUE(f.polarityOffset.has_value());
  EXPECT_TRUE(f.perigeeApogee.has_value());
  // The earth map is shown: no track.
  EXPECT_FALSE(f.moonTrack.has_value());
}

TEST(TickFigures, ComputingChangesNothing) {
  TrackerModel model = HoustonLondon();
  RunTick(model, kTickTimerId, kNoonJ2000);
  const TrackerModel before = model;
  ComputeFigures(model, kNoonJ2000 + 86400 * 3);
  EXPECT_EQ(model.texts.text, before.texts.text);
  EXPECT_EQ(model.tracking.moonHourAngle, before.tracking.moonHourAngle);
  EXPECT_EQ(model.tracking.moonDayCount, before.tracking.moonDayCount);
  EXPECT_EQ(model.tracking.perigeeDays, before.tracking.perigeeDays);
  EXPECT_EQ(model.tracking.perigeeCountsDay, before.tracking.perigeeCountsDay);
  EXPECT_EQ(model.tracking.moonMarker, before.tracking.moonMarker);
}

TEST(TickFigures, TheTickShowsTheTextsOfItsFigures) {
  TrackerModel model = HoustonLondon();
  const TrackerModel start = model;
  const TickOutcome outcome = RunTick(model, kTickTimerId, kNoonJ2000);
  ASSERT_TRUE(outcome.figures.has_value());
  const DisplayTexts texts = FormatTexts(*outcome.figures, start);
  for (const DisplayTextInfo& info : kDisplayTextTable) {
    if (info.id == TextId::kSourceLine || info.id == TextId::kStatusLine) continue;
    EXPECT_EQ((*outcome.exchanged)[info.id], texts[info.id]) << info.label;
  }
  EXPECT_EQ(texts[TextId::kEchoDoppler], EchoDopplerText(outcome.figures->echoDopplerHz));
  EXPECT_EQ(texts[TextId::kPolarityOffset], PolarityOffsetText(outcome.figures->polarityOffset));
}

TEST(TickFigures, TheStatusTimerComputesNothing) {
  TrackerModel model = HoustonLondon();
  EXPECT_FALSE(RunTick(model, kStatusTimerId, kNoonJ2000).figures.has_value());
}

// The deliberate Doppler difference: a second station on the equator or on
// the zero meridian is a station for its moon position and polarity, not for
// the two-station Doppler.
TEST(TickFigures, StationOnTheEquatorOrZeroMeridianHasNoTwoStationDoppler) {
  for (const auto& [latitude, longitude] : {std::pair{0.0, 30.0}, {51.5, 0.0}}) {
    TrackerModel model = HoustonLondon();
    model.station2.latitude = latitude;
    model.station2.longitude = longitude;
    // 10:00 UTC: the moon is up in Houston and over Europe and Africa.
    const TickFigures f = ComputeFigures(model, kNoonJ2000 - 7200);
    ASSERT_TRUE(f.station2Moon.has_value());
    ASSERT_GT(f.station2Moon->elevation, 0.0) << latitude << " " << longitude;
    ASSERT_TRUE(f.echoDopplerHz.has_value());
    EXPECT_TRUE(f.polarityOffset.has_value());
    EXPECT_FALSE(f.station2DopplerHz.has_value());
    RunTick(model, kTickTimerId, kNoonJ2000 - 7200);
    EXPECT_THAT(model.texts[TextId::kStation2Azimuth], testing::EndsWith(" deg"));
    EXPECT_EQ(model.texts[TextId::kStation2Doppler], "N/A");
  }
  // Moved off both lines, the same station gets its figure.
  TrackerModel model = HoustonLondon();
  model.station2.latitude = 0.5;
  model.station2.longitude = 30.0;
  EXPECT_TRUE(ComputeFigures(model, kNoonJ2000 - 7200).station2DopplerHz.has_value());
}

TEST(TickFigures, NoSecondStationMeansNoStationFigures) {
  TrackerModel model = HoustonLondon();
  model.station2.latitude = 0.0;
  model.station2.longitude = 0.0;
  const TickFigures f = ComputeFigures(model, kNoonJ2000);
  EXPECT_FALSE(f.station2Set);
  EXPECT_FALSE(f.station2Moon.has_value());
  EXPECT_FALSE(f.polarityOffset.has_value());
  EXPECT_FALSE(f.station2DopplerHz.has_value());
}

TEST(TickFigures, OutsideTheSupportedYearsOnlyTheSunIsKnown) {
  TrackerModel model = HoustonLondon();
  const TickFigures f = ComputeFigures(model, kYear2150);
  EXPECT_FALSE(f.homeMoon || f.station2Moon || f.skyTemperatureK || f.pathLossDb ||
               f.degradationDb || f.echoDopplerHz || f.station2DopplerHz || f.polarityOffset ||
               f.perigeeApogee);
  EXPECT_TRUE(std::isfinite(f.sun.azimuth));
}

TEST(KeepFigures, TheSkyMapTracksLastEvaluationIsTheMoonOfRecord) {
  TrackerModel model = HoustonLondon();
  model.view.skyMap = true;
  const TickFigures f = ComputeFigures(model, kNoonJ2000);
  ASSERT_TRUE(f.moonTrack.has_value());
  KeepFigures(model.tracking, f);
  EXPECT_EQ(model.tracking.moonHourAngle, f.moonTrack->current.hourAngle);
  EXPECT_EQ(model.tracking.moonDayCount, f.moonTrack->current.dayCount);
  EXPECT_EQ(model.tracking.moonRange, f.homeMoon->distance);
  EXPECT_EQ(model.tracking.perigeeDays, f.perigeeApogee->perigeeDays);
  EXPECT_EQ(model.tracking.perigeeCountsDay, std::floor(f.homeMoon->dayCount));
}

TEST(KeepFigures, WithoutAMoonTheLastKnownOneStays) {
  TrackerModel model = HoustonLondon();
  RunTick(model, kTickTimerId, kNoonJ2000);
  const TrackingState before = model.tracking;
  KeepFigures(model.tracking, ComputeFigures(model, kYear2150));
  EXPECT_EQ(model.tracking.moonHourAngle, before.moonHourAngle);
  EXPECT_EQ(model.tracking.moonRange, before.moonRange);
  EXPECT_EQ(model.tracking.moonUpStation2, before.moonUpStation2);
  EXPECT_EQ(model.tracking.perigeeDays, before.perigeeDays);
  EXPECT_NE(model.tracking.sunHourAngle, before.sunHourAngle);
}

}  // namespace
}  // namespace kelvora
