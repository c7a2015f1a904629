#include "tick/figures.h"

#include <cmath>

#include "astro/time_helpers.h"
#include "link/doppler.h"
#include "link/path_loss.h"
#include "link/range_rate.h"

namespace kelvora {

namespace {

// The day count of the last moon calculation: the sky-map track's last
// evaluation when there is one, else the home moon's.
const MoonFix& LastMoonFix(const TickFigures& figures) {
  return figures.moonTrack ? figures.moonTrack->current : *figures.homeMoon;
}

}  // namespace

TickFigures ComputeFigures(const TrackerModel& model, std::int64_t clock) {
  const HomeStation& home = model.home;
  const SecondStation& station2 = model.station2;
  const TrackingState& tracking = model.tracking;
  // Every astronomy routine adds the two offsets to the clock itself.
  const TimeBase base{home.gmtOffsetHours, tracking.timeOffset};

  TickFigures figures;
  figures.clock = clock;
  figures.utcSeconds = base.Adjust(clock);
  figures.sun = SunPosition(home.sunLatitude, home.sunLongitude, clock, base);
  figures.station2Set = station2.IsSet();
  // Outside the supported years the moon is refused; the window then shows
  // no moon figures.
  if (figures.station2Set) {
    if (auto fix = MoonPosition(station2.latitude, station2.longitude, clock, base)) {
      figures.station2Moon = *fix;
    }
  }
  if (auto fix = MoonPosition(home.latitude, home.longitude, clock, base)) figures.homeMoon = *fix;
  if (!figures.homeMoon) return figures;
  const MoonFix& moon = *figures.homeMoon;

  const double skyTemperature = SkyTemperature(moon.rightAscension * kRadToRaHours);
  const double pathLoss = PathLoss(moon.distance);
  figures.skyTemperatureK = skyTemperature;
  figures.pathLossDb = pathLoss;
  figures.degradationDb = Degradation(skyTemperature, pathLoss);
  if (figures.station2Set) {
    figures.polarityOffset = ComputePolarityOffset(moon.hourAngle, moon.declination, home.latitude,
                                                   home.longitude, station2.latitude,
                                                   station2.longitude);
  }

  // A second station without a fix keeps the flag of its last one.
  const bool moonUpStation2 =
      figures.station2Moon ? figures.station2Moon->elevation > 0.0 : tracking.moonUpStation2;
  // Each station's own range rate from the standard theory (stations at
  // height 0, as the window has no height).
  const bool twoStation = moonUpStation2 && station2.CountsForTwoStationDoppler();
  const Result<double> homeRate =
      StandardRangeRateMps(home.latitude, home.longitude, 0.0, figures.utcSeconds);
  const Result<double> station2Rate =
      twoStation
          ? StandardRangeRateMps(station2.latitude, station2.longitude, 0.0, figures.utcSeconds)
          : Result<double>(0.0);
  if (homeRate && station2Rate) {
    const DopplerHz doppler = ComputeDoppler(
        DopplerInput{*homeRate, *station2Rate, moon.elevation > 0.0, twoStation});
    figures.echoDopplerHz = doppler.echo;
    figures.station2DopplerHz = doppler.twoStation;
  }

  if (model.view.skyMap) {
    if (auto track = MoonTrack(home.latitude, home.longitude, clock, base)) {
      figures.moonTrack = *track;
    }
  }

  // Perigee and apogee for the day of the last moon calculation. The counts
  // come from daily distance samples, so within one day a second count gives
  // the same figures: skip it (it is most of a tick's work).
  const double dayCount = LastMoonFix(figures).dayCount;
  const PerigeeApogee previous{tracking.perigeeDays, tracking.apogeeDays};
  figures.perigeeApogee = tracking.perigeeCountsDay != std::floor(dayCount)
                              ? UpdatePerigeeApogee(dayCount, previous)
                              : previous;
  return figures;
}

void KeepFigures(TrackingState& tracking, const TickFigures& figures) {
  const SunFix& sun = figures.sun;
  tracking.sunAzimuth = sun.azimuth;
  tracking.sunElevation = sun.elevation;
  tracking.sunDeclination = sun.declination;
  tracking.sunHourAngle = sun.hourAngle;
  tracking.sunRightAscension = sun.rightAscension;
  tracking.sunSkyPoint = MapPoint{sun.skyColumn, sun.skyRow};
  tracking.moonRangeRate = sun.moonRangeRate;
  if (figures.station2Moon) tracking.moonUpStation2 = figures.station2Moon->elevation > 0.0;
  if (!figures.homeMoon) return;

  const MoonFix& moon = *figures.homeMoon;
  tracking.moonDeclination = moon.declination * kRadToDeg;
  tracking.moonRange = moon.distance;
  tracking.moonUpHome = moon.elevation > 0.0;
  if (figures.moonTrack) {
    tracking.moonTrack = figures.moonTrack->points;
    tracking.moonSkyPoint =
        MapPoint{figures.moonTrack->currentColumn, figures.moonTrack->currentRow};
  }
  const MoonFix& last = LastMoonFix(figures);
  tracking.moonHourAngle = last.hourAngle;
  tracking.moonDayCount = last.dayCount;
  tracking.perigeeDays = figures.perigeeApogee->perigeeDays;
  tracking.apogeeDays = figures.perigeeApogee->apogeeDays;
  tracking.perigeeCountsDay = std::floor(last.dayCount);
}

}  // namespace kelvora
