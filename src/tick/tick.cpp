#include "tick/tick.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <initializer_list>

#include "astro/footprint.h"
#include "astro/map_projection.h"
#include "astro/moon.h"
#include "astro/perigee.h"
#include "astro/sky.h"
#include "astro/sources.h"
#include "astro/sun.h"
#include "astro/time_helpers.h"
#include "link/doppler.h"
#include "link/polarity.h"

namespace kelvora {

namespace {

// Path loss against a moon 348030 km away from the surface point under it
// (356140 km centre to centre less 8110 km), fourth power of the ratio.
constexpr double kPathLossSurfaceKm = 8110.0;
constexpr double kInvPathLossReferenceKm = 2.873315518777117e-06;  // 1 / 348030
constexpr double kPathLossFactor = 40.0;
// Degradation: sky temperature plus 80 K against 245.64 K, in decibels.
constexpr double kSkyNoiseAddedK = 80.0;
constexpr double kInvReferenceNoiseK = 0.004070998208760788;  // 1 / 245.64
constexpr double kDecibelFactor = 10.0;

// The moon's footprint gets its declination back in radians with pi taken as
// 3.14159; the other conversions of the tick use the full value.
constexpr double kFootprintDegToRad = 0.01745327777777778;
constexpr double kSunFootprintDistanceKm = 1000000.0;

constexpr const char* kNotAvailable = "N/A";
constexpr const char* kNoLocator = "None";
constexpr const char* kSourceNotAvailable = "Not Available";
constexpr const char* kNoFigure = kNoFigureText;

// Status line texts: the two alternate so that the line visibly changes.
constexpr const char* kStatusEven = "  ";
constexpr const char* kStatusOdd = " ";

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string Format(const char* format, ...) {
  char buffer[128];
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (length < 0) return {};
  return std::string(buffer, static_cast<std::size_t>(
                                 std::min<int>(length, static_cast<int>(sizeof buffer) - 1)));
}

// A decibel figure, or the placeholder when it is infinite or undefined.
std::string DecibelText(const char* format, double value) {
  if (!std::isfinite(value)) return kNoFigure;
  return Format(format, value);
}

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

// The line of a tracked source, as the tick refreshes it; 0 when the menu
// marks are to stay as they are.
int RefreshSourceLine(TrackerModel& model, std::int64_t clock, const TimeBase& base) {
  const int code = model.tracking.trackedSource;
  switch (code) {
    case kSourceQuietSky:
    case kSourceCassiopeiaA:
    case kSourceCygnusA:
    case kSourceGalacticCentre: {
      const RadioSource* source = FindSourceByCode(code);
      if (source == nullptr) return 0;
      const HorizontalFix fix =
          SourcePosition(source->declination, source->rightAscension, model.home.latitude,
                         model.home.longitude, clock, base);
      model.texts[19] = FormatSourceLine(*source, fix);
      return source->commandId;
    }
    case kSourceCentaurusA:
    case kSourceTaurusA:
      model.texts[19] = kSourceNotAvailable;
      return 0;
    case kSourceUserStar:
      model.texts[19] = UserStarLine(model.tracking.userStarRa, model.tracking.userStarDec,
                                     model.home.latitude, model.home.longitude, clock, base);
      return 0;
    default:
      return 0;
  }
}

void FullTick(TrackerModel& model, std::int64_t clock, TickOutcome& outcome) {
  HomeStation& home = model.home;
  SecondStation& station2 = model.station2;
  TrackingState& tracking = model.tracking;
  ViewMode& view = model.view;
  DisplayTexts& texts = model.texts;

  // 1. A dialog asked for the whole window.
  if (tracking.fullRepaintRequest) {
    outcome.invalidateAll = true;
    tracking.fullRepaintRequest = false;
  }

  // 2. Every astronomy routine adds the two offsets to the clock itself.
  const TimeBase base{home.gmtOffsetHours, tracking.timeOffset};

  // 3. Sun, at the position loaded at start-up.
  const SunFix sun = SunPosition(home.sunLatitude, home.sunLongitude, clock, base);
  tracking.sunAzimuth = sun.azimuth;
  tracking.sunElevation = sun.elevation;
  tracking.sunDeclination = sun.declination;
  tracking.sunHourAngle = sun.hourAngle;
  tracking.sunRightAscension = sun.rightAscension;
  tracking.sunSkyPoint = MapPoint{sun.skyColumn, sun.skyRow};
  tracking.moonRangeRate = sun.moonRangeRate;
  texts[9] = Format("%4.1f deg", sun.elevation);
  texts[8] = Format("%4.1f deg", sun.azimuth);

  // 4. Second station; (0, 0) means there is none and its flag stays.
  if (!station2.IsSet()) {
    texts[16] = kNotAvailable;
    texts[17] = kNotAvailable;
  } else if (const auto fix = MoonPosition(station2.latitude, station2.longitude, clock, base)) {
    texts[16] = Format("%3.1f deg", fix->azimuth);
    texts[17] = Format("%3.1f deg", fix->elevation);
    tracking.moonUpStation2 = fix->elevation > 0.0;
    tracking.moonDayCount = fix->dayCount;
  } else {
    texts[16] = kNoFigure;
    texts[17] = kNoFigure;
  }

  // 5.-12. Home: the moon and everything derived from it.
  const std::optional<MoonFix> moon = MoonPosition(home.latitude, home.longitude, clock, base);
  if (moon) {
    tracking.moonDeclination = moon->declination * kRadToDeg;
    tracking.moonRange = moon->distance;
    tracking.moonHourAngle = moon->hourAngle;
    tracking.moonUpHome = moon->elevation > 0.0;
    tracking.moonDayCount = moon->dayCount;

    const double skyTemperature = SkyTemperature(moon->rightAscension * kRadToRaHours);
    texts[12] = Format("%4.0f° k", skyTemperature);
    const double pathLoss = PathLoss(moon->distance);
    texts[13] = PathLossText(pathLoss);
    texts[14] = DegradationText(Degradation(skyTemperature, pathLoss));

    texts[15] = ComputePolarityOffset(moon->hourAngle, moon->declination, home.latitude,
                                      home.longitude, station2.latitude, station2.longitude);
  } else {
    for (const int number : {1, 2, 3, 5, 12, 13, 14, 15, 18, 21}) texts[number] = kNoFigure;
  }

  // 10. The clock text shows the tracked moment (UTC).
  texts[4] = AscTimeText(base.Adjust(clock)).value_or(kNoFigure);

  if (moon) {
    texts[5] = Format("%4.2f deg.", moon->elevation);
    texts[1] = Format("%4.2f deg.", moon->azimuth);
    texts[2] = Format("%4.2f deg", tracking.moonDeclination);
    texts[3] = Format("%8.1fKm", moon->distance);

    // 12. Needs both moon-up flags, set above.
    const DopplerResult doppler = ComputeDoppler(DopplerInput{
        home.latitude, home.longitude, station2.latitude, station2.longitude,
        tracking.moonHourAngle, tracking.moonDeclination, tracking.moonRangeRate,
        tracking.moonUpHome, tracking.moonUpStation2});
    texts[18] = doppler.myDoppler;
    texts[21] = doppler.station2Doppler;

    // 13. The sky-map track; its last evaluation is the moon now.
    if (view.skyMap) {
      if (const auto track = MoonTrack(home.latitude, home.longitude, clock, base)) {
        tracking.moonTrack = track->points;
        tracking.moonSkyPoint = MapPoint{track->currentColumn, track->currentRow};
        tracking.moonHourAngle = track->current.hourAngle;
        tracking.moonDayCount = track->current.dayCount;
      }
    }

    // 14. Perigee and apogee for the day of the last moon calculation. The
    // counts come from daily distance samples, so within one day a second
    // count gives the same figures: skip it (it is most of a tick's work).
    const double day = std::floor(tracking.moonDayCount);
    if (tracking.perigeeCountsDay != day) {
      const PerigeeApogee days =
          UpdatePerigeeApogee(tracking.moonDayCount, {tracking.perigeeDays, tracking.apogeeDays});
      tracking.perigeeDays = days.perigeeDays;
      tracking.apogeeDays = days.apogeeDays;
      tracking.perigeeCountsDay = day;
    }
    texts[6] = PerigeeDaysText(tracking.perigeeDays);
    texts[7] = PerigeeDaysText(tracking.apogeeDays);
  } else {
    texts[6] = kNoFigure;
    texts[7] = kNoFigure;
  }

  // 15., 16.
  texts[11] = station2.locator.size() == 6 ? station2.locator : std::string(kNoLocator);
  texts[10] = "Home: " + home.locator;

  // 17. The data exchange: what the window shows from now on.
  outcome.exchanged = texts;

  // 18.-19. Sun marker and the sun's outline (Sun View).
  tracking.sunMarker =
      EarthMapPoint(tracking.sunHourAngle * kRadToDeg, tracking.sunDeclination * kRadToDeg);
  const int sunDegrees = WholeDegrees(tracking.sunHourAngle);
  if ((sunDegrees != tracking.last.sunHourAngle && view.sunView) || view.sunViewRefresh) {
    view.sunViewRefresh = false;
    tracking.last.sunHourAngle = sunDegrees;
    StoreFootprint(tracking,
                   VisibilityFootprint(kSunFootprintDistanceKm, tracking.sunDeclination,
                                       tracking.sunHourAngle, model.circles));
    outcome.invalidate.push_back(kPanelRect);
  }

  // 20.-21. Moon marker and the moon's outline (Moon View).
  tracking.moonMarker = EarthMapPoint(tracking.moonHourAngle * kRadToDeg, tracking.moonDeclination);
  const int moonDegrees = WholeDegrees(tracking.moonHourAngle);
  if (moon && (((moonDegrees != tracking.last.moonHourAngle) && !view.sunView) ||
               view.moonViewRefresh)) {
    view.moonViewRefresh = false;
    tracking.last.moonHourAngle = moonDegrees;
    StoreFootprint(tracking, VisibilityFootprint(tracking.moonRange,
                                                 tracking.moonDeclination * kFootprintDegToRad,
                                                 tracking.moonHourAngle, model.circles));
    outcome.invalidate.push_back(kPanelRect);
  }

  // 22. Phase picture. It lies outside the panel rectangle, so a new index
  // (after a time step, say) repaints it on its own, and so does a change of
  // map, which takes it away or brings it back.
  tracking.phaseIndex = PhaseIndex(moonDegrees, sunDegrees);
  if (tracking.phaseIndex != tracking.last.phaseIndex ||
      view.mapBitmap != tracking.last.phaseMapBitmap) {
    tracking.last.phaseIndex = tracking.phaseIndex;
    tracking.last.phaseMapBitmap = view.mapBitmap;
    outcome.invalidate.push_back(kPhaseRect);
  }

  // 23. Home marker; moving it repaints the whole window.
  const int homeLatitude = TruncatedDegrees(home.latitude);
  const int homeLongitude = TruncatedDegrees(home.longitude);
  if (homeLatitude != tracking.last.homeLatitude || homeLongitude != tracking.last.homeLongitude) {
    tracking.homeMarker = EarthMapPoint(home.longitude, home.latitude);
    tracking.last.homeLatitude = homeLatitude;
    tracking.last.homeLongitude = homeLongitude;
    outcome.invalidateAll = true;
  }

  // 24. Second-station marker, no repaint of its own.
  const int station2Latitude = TruncatedDegrees(station2.latitude);
  const int station2Longitude = TruncatedDegrees(station2.longitude);
  if (station2Latitude != tracking.last.station2Latitude ||
      station2Longitude != tracking.last.station2Longitude) {
    tracking.station2Marker = EarthMapPoint(station2.longitude, station2.latitude);
    tracking.last.station2Latitude = station2Latitude;
    tracking.last.station2Longitude = station2Longitude;
  }

  // 25. The tracked source, after the exchange: the window gets this line
  // with the next one.
  outcome.checkedSourceCommand = RefreshSourceLine(model, clock, base);
}

}  // namespace

TickOutcome RunTick(TrackerModel& model, unsigned timerId, std::int64_t clock) {
  TickOutcome outcome;
  if (timerId == kStatusTimerId) {
    model.texts[20] = (model.tracking.statusCounter % 2 == 0) ? kStatusEven : kStatusOdd;
    outcome.exchanged = model.texts;
    ++model.tracking.statusCounter;
    return outcome;
  }
  if (timerId == kStepTimerId) model.tracking.stepPending = false;
  FullTick(model, clock, outcome);
  return outcome;
}

std::string PerigeeDaysText(int days) {
  if (days < 0) {
    return days == -1 ? Format("%d day ago", -days) : Format("%d days ago", -days);
  }
  return days == 1 ? Format("in %d day", days) : Format("in %d days", days);
}

int PhaseIndex(int moonWholeDegrees, int sunWholeDegrees) {
  int d = moonWholeDegrees - sunWholeDegrees;
  if (d > 180) d -= 360;
  if (d <= -180) d += 360;
  return (d * 20) / 180 + 20;
}

std::string PathLossText(double pathLossDb) { return DecibelText("%2.2fdb", pathLossDb); }

std::string DegradationText(double degradationDb) {
  return DecibelText("%3.2fdb", degradationDb);
}

double PathLoss(double moonDistanceKm) {
  return kPathLossFactor *
         std::log10((moonDistanceKm - kPathLossSurfaceKm) * kInvPathLossReferenceKm);
}

double Degradation(double skyTemperatureK, double pathLossDb) {
  return kDecibelFactor *
             std::log10((skyTemperatureK + kSkyNoiseAddedK) * kInvReferenceNoiseK) +
         pathLossDb;
}

}  // namespace kelvora
