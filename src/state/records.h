// The shared records of the program and their one owner.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "astro/footprint.h"
#include "astro/map_projection.h"
#include "astro/time_helpers.h"
#include "state/display_texts.h"
#include "state/window_layout.h"

namespace kelvora {

inline constexpr std::size_t kUserStarTextMaxLength = 11;

// The station settings record as the settings files hold it (app/settings.h
// reads and writes them): latitude, longitude (west positive), GMT offset in
// hours, distance unit (1 miles, 0 kilometres).
struct StationSettings {
  double latitude = 0.0;
  double longitude = 0.0;
  double gmtOffset = 0.0;
  double distanceUnit = 0.0;
};

// Miles, for a home station no settings file has spoken for.
inline constexpr int kDefaultDistanceUnit = 1;

struct HomeStation {
  double latitude = 0.0;   // degrees, north positive
  double longitude = 0.0;  // degrees, west positive
  double sunLatitude = 0.0;   // start-up copy used by the sun calculation
  double sunLongitude = 0.0;
  std::int32_t gmtOffsetHours = 0;  // added to the clock value to give UTC
  std::int32_t distanceUnit = kDefaultDistanceUnit;  // 1 miles, 0 kilometres
  std::string locator;              // six-character locator
};

// Is there a second station? Each place asks in its own way, on purpose, and
// the four rules stand here side by side:
//  - IsSet: a position other than exactly (0, 0). The moon's azimuth and
//    elevation there (texts 16, 17), the polarity offset (15), the Up key's
//    choice of station and kelvora-cli go by it.
//  - CountsForTwoStationDoppler: neither coordinate exactly 0. This is the
//    deliberate Doppler difference: a station on the equator or on the zero
//    meridian has its azimuth, elevation and polarity shown, but its
//    two-station Doppler (text 21) reads "N/A".
//  - HasLocator: a locator text. The earth map draws the station's cross and
//    the Station2 dialog fills its data panel only then.
//  - LocatorShown: text 11 shows the locator only with exactly six characters.
struct SecondStation {
  double latitude = 0.0;  // both exactly 0.0: no second station
  double longitude = 0.0;
  std::string locator;       // shown only when exactly six characters long
  std::string savedLocator;  // parked by the Station2 command while its dialog runs
  bool callReset = false;    // the map click asks the dialog to clear its call
  std::string localTimeText;
  bool IsSet() const { return !(latitude == 0.0 && longitude == 0.0); }
  bool CountsForTwoStationDoppler() const { return latitude != 0.0 && longitude != 0.0; }
  bool HasLocator() const { return !locator.empty(); }
  bool LocatorShown() const { return locator.size() == 6; }
};

// Whole degrees remembered at the last recomputation.
struct LastWholeDegrees {
  int sunHourAngle = 0;
  int moonHourAngle = 0;
  int homeLatitude = 0;
  int homeLongitude = 0;
  int station2Latitude = 0;
  int station2Longitude = 0;
  // The phase picture the window was last asked to paint, and over which
  // map: -1 before the first tick, so that one paints it.
  int phaseIndex = -1;
  int phaseMapBitmap = 0;
};

// Where station control last read the antenna pointing, for the maps to
// mark while it runs: the true direction and the same as a point of the sky.
struct AntennaMark {
  bool shown = false;
  double azimuth = 0.0;         // degrees, from north through east
  double elevation = 0.0;       // degrees
  double rightAscension = 0.0;  // hours, of date
  double declination = 0.0;     // degrees
};

struct TrackingState {
  std::int32_t timeOffset = 0;  // seconds added to the clock; 0 is live time
  bool stepPending = false;     // a keyboard step waits for the step timer
  bool fullRepaintRequest = false;
  std::int32_t trackedSource = 1;
  std::string userStarRa;   // hours, as typed
  std::string userStarDec;  // degrees, as typed

  double moonHourAngle = 0.0;    // radians
  double moonDeclination = 0.0;  // degrees
  double moonRange = 0.0;        // km
  double moonDayCount = 0.0;     // days since 1970 of the last moon calculation
  double moonRangeRate = 0.0;    // m/s
  bool moonUpHome = false;
  bool moonUpStation2 = false;

  double sunAzimuth = 0.0;         // degrees
  double sunElevation = 0.0;       // degrees
  double sunDeclination = 0.0;     // radians
  double sunHourAngle = 0.0;       // radians
  double sunRightAscension = 0.0;  // radians
  MapPoint sunSkyPoint;            // sky-map window pixels

  std::int32_t perigeeDays = 0;
  std::int32_t apogeeDays = 0;
  // The UTC day (whole days since 1970) the two counts were last worked out
  // for; they depend on nothing else, so the tick recounts once a day.
  std::optional<double> perigeeCountsDay;
  int phaseIndex = 0;  // 0..40

  MapPoint moonMarker;  // earth-map window pixels
  MapPoint sunMarker;
  MapPoint homeMarker;
  MapPoint station2Marker;

  int footprintResult = 0;  // number of outline points to draw
  std::array<MapPoint, kFootprintPoints> footprint{};

  std::array<SkyMapPoint, 26> moonTrack{};  // sky-map window pixels
  MapPoint moonSkyPoint;

  LastWholeDegrees last;
  int statusCounter = 0;
  AntennaMark antenna;
};

struct ViewMode {
  bool sunView = false;  // false Moon View, true Sun View
  bool skyMap = false;   // false earth map, true sky map
  int mapBitmap = kEarthMapBitmap;
  bool moonViewRefresh = false;
  bool sunViewRefresh = false;
};

// The one owner of the shared state. main() creates it and passes it to every
// operation that reads or writes it.
struct TrackerModel {
  HomeStation home;
  SecondStation station2;
  TrackingState tracking;
  ViewMode view;
  StationSettings settings;
  CircleTables circles = BuildCircleTables();
  DisplayTexts texts;
};

}  // namespace kelvora
