// Time and angle helpers shared by the astronomy routines.
//
// Conventions: latitude in degrees, north positive; longitude in degrees, WEST
// positive; hour angles in radians in [0, 2pi]; time as 64-bit seconds since
// 1970-01-01 00:00 on the UTC scale, or as a day count (seconds / 86400).
#pragma once

#include <cstdint>
#include <string>

#include "common/result.h"

namespace kelvora {

// The routines other than the moon keep these values; the moon has its own pi.
inline constexpr double kPi = 3.14159265359;
inline constexpr double kTwoPi = 6.28318530718;
inline constexpr double kInvTwoPi = 0.15915494309188485;
inline constexpr double kDegToRad = 0.017453292519944444;
inline constexpr double kRadToDeg = 57.29577951307855;
inline constexpr double kHoursToRad = 0.26179938779916667;  // source and sun hour angles
inline constexpr double kSiderealHoursToRad = 0.2617994;     // sidereal time to hour angle
inline constexpr double kRadToRaHours = 3.819721860586519;   // 12 / 3.14159

inline constexpr std::int64_t kSecondsPerDay = 86400;

// Seconds of a GMT offset in whole hours: what it adds to local standard
// time to give UTC. Every clock-to-UTC sum in the program goes through this.
constexpr std::int64_t GmtOffsetSeconds(std::int64_t hours) { return hours * 3600; }

// The tracked moment: UTC = clock + gmtOffsetHours * 3600 + timeOffset.
struct TimeBase {
  std::int32_t gmtOffsetHours = 0;  // whole hours added to the clock value
  std::int32_t timeOffset = 0;      // seconds of stepping; 0 is live time
  std::int64_t Adjust(std::int64_t clock) const {
    return clock + GmtOffsetSeconds(gmtOffsetHours) + timeOffset;
  }
};

// A UTC moment broken down with the proleptic Gregorian calendar; no zone.
struct CivilTime {
  int year;     // e.g. 1999
  int month;    // 1-12
  int day;      // 1-31
  int hour;     // 0-23
  int minute;   // 0-59
  int second;   // 0-59
  int weekday;  // 0 = Sunday
};

// The years the day count below is exact for (it has no century rule).
inline constexpr int kFirstSupportedYear = 1901;
inline constexpr int kLastSupportedYear = 2099;

// Breaks seconds since 1970 down; refuses moments outside 1901-2099.
Result<CivilTime> BreakDownTime(std::int64_t seconds);

// The first and last second that BreakDownTime accepts.
std::int64_t FirstSupportedSecond();
std::int64_t LastSupportedSecond();

// "Sat Jan  1 12:00:00 2000" (the asctime layout without its newline);
// refuses moments outside 1901-2099.
Result<std::string> AscTimeText(std::int64_t seconds);

// Calendar day count: 53997 on 2000-01-01, 43040 on 1970-01-01.
int DayNumber(int year, int month, int day);

// Epochs on that count. The sidereal-time formula counts days from
// 1950-01-01 00:00, the lunar theory from J2000.0 (2000-01-01 12:00).
inline constexpr int kDayNumber1970 = 43040;
inline constexpr int kDayNumber1950 = 35735;
inline constexpr double kDayNumberJ2000 = 53997.5;

// Julian centuries of 36525 days, the time unit of the theories' secular terms.
inline constexpr double kCenturiesPerDay = 1.0 / 36525;

// Greenwich sidereal time in hours, [0, 24), from days since 1970-01-01 00:00 UTC.
double GreenwichSiderealHours(double daysSince1970);

// Angle of the point (x, y) in radians, (-pi, pi]; (0, -1) gives pi.
double FullArcTangent(double y, double x);

// (x - trunc x) * 2pi: revolutions to radians, keeping the sign of x.
double FracTurns(double revolutions);

}  // namespace kelvora
