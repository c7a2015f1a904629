// Next rise or set of the moon or the sun at a station.
#pragma once

#include <cstdint>

#include "common/result.h"

namespace kelvora {

// Cheaper elevations for the search. time is UTC seconds with every offset
// already applied; results in degrees. The moon's includes a spherical-earth
// parallax and is refused outside 1901-2099 (it needs the calendar); the
// sun's is geocentric and defined for any moment.
Result<double> QuickMoonElevation(double latitude, double longitude, std::int64_t time);
double QuickSunElevation(double latitude, double longitude, std::int64_t time);

enum class Body { Moon, Sun };

// How far the hourly search may look ahead before it gives up.
inline constexpr std::int64_t kCrossingSearchLimitSeconds = 366LL * 86400;

// The time offset that puts the displayed moment 30 s after the next horizon
// crossing of the body at (latitude, west longitude): a rise when the body is
// below the horizon now, a set when it is above. clock is the clock value,
// gmtOffsetHours and timeOffset as in TimeBase. A failure (nothing to change)
// when no crossing lies within the search limit (kNotFound), or the body has
// no elevation there and then, or the result would leave the 32-bit offset or
// the supported years (kRefused); the reason says which.
Result<std::int32_t> FindHorizonCrossing(double latitude, double longitude, Body body,
                                         std::int64_t clock, std::int32_t gmtOffsetHours,
                                         std::int32_t timeOffset);

}  // namespace kelvora
