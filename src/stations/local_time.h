// Approximate local time at a station from its longitude alone.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kelvora {

// Hours behind UTC for a west-positive longitude (15-degree zones with the
// program's 7-degree shift).
int ApproximateZone(double westLongitude);

// "Sun, 09:05am" for the tracked moment at that longitude. Empty outside the
// supported years.
std::optional<std::string> LocalTimeText(double westLongitude, std::int64_t clock,
                                         std::int32_t gmtOffsetHours, std::int32_t timeOffset);

}  // namespace kelvora
