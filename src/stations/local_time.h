// Approximate local time at a station from its longitude alone.
#pragma once

#include <cstdint>
#include <string>

#include "common/result.h"

namespace kelvora {

// Hours behind UTC for a west-positive longitude (15-degree zones with the
// program's 7-degree shift).
int ApproximateZone(double westLongitude);

// "Sun, 09:05am" for the tracked moment at that longitude. Refused for a
// longitude that is not a number and outside the supported years.
Result<std::string> LocalTimeText(double westLongitude, std::int64_t clock,
                                  std::int32_t gmtOffsetHours, std::int32_t timeOffset);

}  // namespace kelvora
