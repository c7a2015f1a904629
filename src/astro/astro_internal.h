// Pieces shared by the astronomy routines but not part of their interface.
#pragma once

#include <cstdint>
#include <span>

#include "astro/footprint.h"
#include "common/result.h"

namespace kelvora::internal {

// Greenwich sidereal time in hours, [0, 24), from whole days since
// 1950-01-01 00:00 and the day fraction; degToRad converts the node longitude
// (each routine uses its own degree factor).
double SiderealHours(double d50, double fraction, double degToRad);

// The full-quadrant arctangent with the caller's value of pi; (0, 0) gives 0.
double FullArcTangentPi(double y, double x, double pi);

// asin with its argument clamped to [-1, 1], and sqrt(1 - s*s) never below 0:
// rounding may put a sine a hair outside its range.
double SafeAsin(double s);
double SqrtOneMinusSquare(double s);

// The fundamental lunar arguments in radians (see the moon theory).
struct LunarArguments {
  double l;      // moon's mean anomaly
  double F;      // moon's argument of latitude
  double D;      // moon's mean elongation from the sun
  double lp;     // sun's mean anomaly
  double Omega;  // longitude of the moon's node
};

// The arguments at t days from J2000.0, each 2pi * frac(a + b t) with the
// caller's 2pi. Omega is filled only when withNode is set.
LunarArguments FundamentalArguments(double t, double twoPi, bool withNode);

// The moon's geocentric place from the adjusted time (UTC seconds): the
// series and the change to equatorial coordinates, without the observer.
// Refused outside the supported years. The distance
// is evaluated only when asked for (the sky-map track does not need it).
struct MoonEquatorial {
  double dayCount;           // adjusted time / 86400
  double d50;                // whole days from 1950-01-01 to the date
  double dayFraction;        // from the broken-down time
  double eclipticLongitude;  // radians
  double eclipticLatitude;   // radians
  double rightAscension;     // radians, [0, 2pi]
  double declination;        // radians
  double sinDelta, cosDelta;
  double distance;  // km, 0 when not asked for
};
Result<MoonEquatorial> MoonEquatorialAt(std::int64_t adjusted, bool withDistance);

// The sun's geocentric place at x days since 1970 and its horizontal
// coordinates for an observer (degrees, west positive).
struct SunPlace {
  double eclipticLongitude;  // radians
  double rightAscension;     // radians, [0, 2pi]
  double declination;        // radians
  double hourAngle;          // radians, [0, 2pi]
  double elevation;          // degrees
  double azimuth;            // degrees, (0, 360]
};
SunPlace ComputeSunPlace(double latitude, double longitude, double daysSince1970);

// The outline's points in column order, exactly as the program's all-pairs
// exchange pass leaves them (footprint.cpp explains how).
void OrderByColumn(std::span<MapPoint, kCircleSteps> points);

}  // namespace kelvora::internal
