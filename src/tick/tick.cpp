#include "tick/tick.h"

#include "astro/footprint.h"
#include "astro/map_projection.h"
#include "astro/sources.h"
#include "astro/time_helpers.h"

namespace kelvora {

namespace {

// The moon's footprint gets its declination back in radians with pi taken as
// 3.14159; the other conversions of the tick use the full value.
constexpr double kFootprintDegToRad = 0.01745327777777778;
constexpr double kSunFootprintDistanceKm = 1000000.0;

// The phase picture's index: 0 and 40 full moon, 20 new moon, a step for
// every 9 degrees of the moon's hour angle ahead of (or behind) the sun's.
constexpr int kNewMoonPhase = 20;
constexpr int kPhaseStepsPerHalfTurn = 20;

// Status line texts: the two alternate so that the line visibly changes.
constexpr const char* kStatusEven = "  ";
constexpr const char* kStatusOdd = " ";

int WholeDegrees(double radians) { return static_cast<int>(radians * kRadToDeg); }

// Truncation toward zero of a station coordinate. The settings file is taken
// as it is, so a coordinate may be absurdly large: clamp it into int range
// first rather than convert out of range.
int TruncatedDegrees(double degrees) {
  constexpr double kLimit = 1.0e9;
  if (!(degrees > -kLimit)) return -static_cast<int>(kLimit);
  if (degrees > kLimit) return static_cast<int>(kLimit);
  return static_cast<int>(degrees);
}

MapPoint EarthMapPoint(double westLongitude, double latitude) {
  return MapPoint{MapXForLongitude(westLongitude), MapYForLatitude(latitude) + kMapRowOffset};
}

void StoreFootprint(TrackingState& tracking, const Footprint& footprint) {
  tracking.footprintResult = footprint.count;
  tracking.footprint = footprint.points;
}

void RunStatusTick(TrackerModel& model, TickOutcome& outcome) {
  model.texts[TextId::kStatusLine] =
      (model.tracking.statusCounter % 2 == 0) ? kStatusEven : kStatusOdd;
  outcome.exchanged = model.texts;
  ++model.tracking.statusCounter;
}

}  // namespace

TickOutcome RunTick(TrackerModel& model, unsigned timerId, std::int64_t clock) {
  TickOutcome outcome;
  if (timerId == kStatusTimerId) {
    RunStatusTick(model, outcome);
    return outcome;
  }
  if (timerId == kStepTimerId) model.tracking.stepPending = false;

  TickFigures figures = ComputeFigures(model, clock);
  KeepFigures(model.tracking, figures);
  FormatTexts(figures, model, model.texts);
  // The data exchange: what the window shows from now on.
  outcome.exchanged = model.texts;
  UpdateMarks(model, figures.homeMoon.has_value(), outcome);
  // After the exchange: the window gets this line with the next one.
  outcome.checkedSourceCommand = RefreshSourceLine(model, clock);
  outcome.figures = std::move(figures);
  return outcome;
}

void UpdateMarks(TrackerModel& model, bool moonKnown, TickOutcome& outcome) {
  HomeStation& home = model.home;
  SecondStation& station2 = model.station2;
  TrackingState& tracking = model.tracking;
  ViewMode& view = model.view;

  // A dialog asked for the whole window.
  if (tracking.fullRepaintRequest) {
    outcome.invalidateAll = true;
    tracking.fullRepaintRequest = false;
  }

  // The sun's marker, and its outline in Sun View.
  tracking.sunMarker =
      EarthMapPoint(tracking.sunHourAngle * kRadToDeg, tracking.sunDeclination * kRadToDeg);
  const int sunDegrees = WholeDegrees(tracking.sunHourAngle);
  if ((sunDegrees != tracking.last.sunHourAngle && view.sunView) || view.sunViewRefresh) {
    view.sunViewRefresh = false;
    tracking.last.sunHourAngle = sunDegrees;
    StoreFootprint(tracking,
                   VisibilityFootprint(kSunFootprintDistanceKm, tracking.sunDeclination,
                                       tracking.sunHourAngle, model.circles));
    outcome.invalidate.push_back(kOutlineRepaintRect);
  }

  // The moon's marker (where it was last known), and its outline in Moon View.
  tracking.moonMarker = EarthMapPoint(tracking.moonHourAngle * kRadToDeg, tracking.moonDeclination);
  const int moonDegrees = WholeDegrees(tracking.moonHourAngle);
  if (moonKnown && (((moonDegrees != tracking.last.moonHourAngle) && !view.sunView) ||
                    view.moonViewRefresh)) {
    view.moonViewRefresh = false;
    tracking.last.moonHourAngle = moonDegrees;
    StoreFootprint(tracking, VisibilityFootprint(tracking.moonRange,
                                                 tracking.moonDeclination * kFootprintDegToRad,
                                                 tracking.moonHourAngle, model.circles));
    outcome.invalidate.push_back(kOutlineRepaintRect);
  }

  // The phase picture. It lies outside the outline's rectangle, so a new
  // index (after a time step, say) repaints it on its own, and so does a
  // change of map, which takes it away or brings it back.
  tracking.phaseIndex = PhaseIndex(moonDegrees, sunDegrees);
  if (tracking.phaseIndex != tracking.last.phaseIndex ||
      view.mapBitmap != tracking.last.phaseMapBitmap) {
    tracking.last.phaseIndex = tracking.phaseIndex;
    tracking.last.phaseMapBitmap = view.mapBitmap;
    outcome.invalidate.push_back(kPhaseRepaintRect);
  }

  // The home marker; moving it repaints the whole window.
  const int homeLatitude = TruncatedDegrees(home.latitude);
  const int homeLongitude = TruncatedDegrees(home.longitude);
  if (homeLatitude != tracking.last.homeLatitude || homeLongitude != tracking.last.homeLongitude) {
    tracking.homeMarker = EarthMapPoint(home.longitude, home.latitude);
    tracking.last.homeLatitude = homeLatitude;
    tracking.last.homeLongitude = homeLongitude;
    outcome.invalidateAll = true;
  }

  // The second station's marker, with no repaint of its own.
  const int station2Latitude = TruncatedDegrees(station2.latitude);
  const int station2Longitude = TruncatedDegrees(station2.longitude);
  if (station2Latitude != tracking.last.station2Latitude ||
      station2Longitude != tracking.last.station2Longitude) {
    tracking.station2Marker = EarthMapPoint(station2.longitude, station2.latitude);
    tracking.last.station2Latitude = station2Latitude;
    tracking.last.station2Longitude = station2Longitude;
  }
}

int RefreshSourceLine(TrackerModel& model, std::int64_t clock) {
  const TimeBase base{model.home.gmtOffsetHours, model.tracking.timeOffset};
  const int code = model.tracking.trackedSource;
  if (code == kSourceUserStar) {
    model.texts[TextId::kSourceLine] =
        UserStarLine(model.tracking.userStarRa, model.tracking.userStarDec, model.home.latitude,
                     model.home.longitude, clock, base);
    return 0;
  }
  const RadioSource* source = FindSourceByCode(code);
  if (source == nullptr) return 0;
  // A catalogue source without coordinates shows its placeholder line and
  // leaves the menu marks alone.
  if (source->name == nullptr) {
    model.texts[TextId::kSourceLine] = kSourceNotAvailableText;
    return 0;
  }
  const HorizontalFix fix = SourcePosition(source->declination, source->rightAscension,
                                           model.home.latitude, model.home.longitude, clock, base);
  model.texts[TextId::kSourceLine] = FormatSourceLine(*source, fix);
  return source->commandId;
}

int PhaseIndex(int moonWholeDegrees, int sunWholeDegrees) {
  int d = moonWholeDegrees - sunWholeDegrees;
  if (d > 180) d -= 360;
  if (d <= -180) d += 360;
  return (d * kPhaseStepsPerHalfTurn) / 180 + kNewMoonPhase;
}

}  // namespace kelvora
