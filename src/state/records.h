// The shared records of the program and their one owner.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "app/settings.h"
#include "astro/footprint.h"
#include "astro/map_projection.h"
#include "astro/time_helpers.h"

namespace kelvora {

inline constexpr int kEarthMapBitmap = 141;
inline constexpr int kSkyMapBitmap = 142;
inline constexpr std::size_t kLocatorMaxLength = 11;
inline constexpr std::size_t kLocalTimeTextMaxLength = 19;
inline constexpr std::size_t kUserStarTextMaxLength = 11;

struct HomeStation {
  double latitude = 0.0;   // degrees, north positive
  double longitude = 0.0;  // degrees, west positive
  double sunLatitude = 0.0;   // start-up copy used by the sun calculation
  double sunLongitude = 0.0;
  std::int32_t gmtOffsetHours = 0;  // added to the clock value to give UTC
  std::int32_t distanceUnit = kDefaultDistanceUnit;  // 1 miles, 0 kilometres
  std::string locator;              // six-character locator
};

struct SecondStation {
  double latitude = 0.0;  // both exactly 0.0: no second station
  double longitude = 0.0;
  std::string locator;       // shown only when exactly six characters long
  std::string savedLocator;  // kept by the Station2 command while the dialog runs
  bool callReset = false;    // the map click asks the dialog to clear its call
  std::string localTimeText;
  bool IsSet() const { return !(latitude == 0.0 && longitude == 0.0); }
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
};

struct ViewMode {
  bool sunView = false;  // false Moon View, true Sun View
  bool skyMap = false;   // false earth map, true sky map
  int mapBitmap = kEarthMapBitmap;
  bool moonViewRefresh = false;
  bool sunViewRefresh = false;
};

inline constexpr int kDisplayTextCount = 21;

// The 21 display texts, numbered 1..21 in the order of the window's data
// exchange (index = number - 1).
struct DisplayTexts {
  std::array<std::string, kDisplayTextCount> text;
  std::string& operator[](int number) { return text.at(static_cast<std::size_t>(number - 1)); }
  const std::string& operator[](int number) const {
    return text.at(static_cast<std::size_t>(number - 1));
  }
};

// Control ids of the 21 texts, in text-number order.
inline constexpr std::array<int, kDisplayTextCount> kDisplayControlIds = {
    1007, 1004, 1005, 1006, 1002, 1021, 1022, 1028, 1029, 1040, 1079,
    1074, 1075, 1076, 1077, 1092, 1093, 1097, 1099, 1100, 1114};

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
