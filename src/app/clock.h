// The clock value: the computer's local standard time (any daylight-saving
// hour taken off) in seconds since 1970-01-01 00:00, counted as though UTC.
// This is the only place that reads the system time.
#pragma once

#include <cstdint>

namespace kelvora {

std::int64_t ClockValue();

// The real UTC moment now, seconds since 1970-01-01 00:00 UTC: no settings
// offset and no time zone enter it.
std::int64_t UtcNow();

// Adds a step to a time offset, clamped to the 32-bit range and so that the
// tracked moment stays within the supported years.
std::int32_t StepTimeOffset(std::int32_t timeOffset, std::int64_t step, std::int64_t clock,
                            std::int32_t gmtOffsetHours);

}  // namespace kelvora
