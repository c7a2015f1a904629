#include "stations/local_time.h"

#include <array>
#include <cmath>
#include <cstdio>

#include "astro/time_helpers.h"

namespace kelvora {

namespace {

// Zones are 15 degrees wide, shifted 7 degrees west so that zone 0 runs from
// 7.99 E to 7.99 W.
constexpr int kZoneShiftDegrees = 7;
constexpr int kZoneWidthDegrees = 15;
// The one longitude band that wraps past the date line.
constexpr int kDateLineBand = 180;
constexpr int kDateLineZone = -12;

constexpr std::array<const char*, 7> kWeekdays = {"Sun", "Mon", "Tue", "Wed",
                                                  "Thu", "Fri", "Sat"};

}  // namespace

int ApproximateZone(double westLongitude) {
  // Longitudes beyond a full turn name no zone of their own; keep the
  // conversion to int defined for them.
  const double whole = std::trunc(std::fmax(-1000.0, std::fmin(1000.0, westLongitude)));
  const int n = static_cast<int>(whole) + kZoneShiftDegrees;
  if (n == kDateLineBand) {
    return kDateLineZone;
  }
  return n >= 0 ? n / kZoneWidthDegrees : (n - kZoneWidthDegrees) / kZoneWidthDegrees;
}

Result<std::string> LocalTimeText(double westLongitude, std::int64_t clock,
                                  std::int32_t gmtOffsetHours, std::int32_t timeOffset) {
  if (std::isnan(westLongitude)) {
    return Fail("longitude is not a number");
  }
  const int zone = ApproximateZone(westLongitude);
  const std::int64_t moment =
      clock + GmtOffsetSeconds(std::int64_t{gmtOffsetHours} - zone) + std::int64_t{timeOffset};
  const Result<CivilTime> civil = BreakDownTime(moment);
  if (!civil) {
    return civil.failure();
  }
  int hour = civil->hour;
  const char* suffix = hour < 12 ? "am" : "pm";
  if (hour >= 12) {
    hour -= 12;
  }
  if (hour == 0) {
    hour = 12;
  }
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%s, %s%d:%s%d%s", kWeekdays.at(civil->weekday),
                hour < 10 ? "0" : "", hour, civil->minute < 10 ? "0" : "", civil->minute,
                suffix);
  return std::string(buffer);
}

}  // namespace kelvora
