#include "app/clock.h"

#include <algorithm>
#include <ctime>
#include <limits>

#include "astro/time_helpers.h"

namespace kelvora {

std::int64_t ClockValue() {
  // `timezone` is the standard-time offset west of UTC, whatever the season,
  // so this is the local standard wall clock counted as though it were UTC.
  // TZ is read, never changed.
  tzset();
  return static_cast<std::int64_t>(std::time(nullptr)) - static_cast<std::int64_t>(timezone);
}

std::int64_t UtcNow() { return static_cast<std::int64_t>(std::time(nullptr)); }

std::int32_t StepTimeOffset(std::int32_t timeOffset, std::int64_t step, std::int64_t clock,
                            std::int32_t gmtOffsetHours) {
  constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  // Steps are at most a year, but keep the sum defined for any input.
  const std::int64_t limitedStep = std::clamp<std::int64_t>(step, 2 * kMin, 2 * kMax);
  std::int64_t offset = std::int64_t{timeOffset} + limitedStep;
  // Any clock the program can meet lies far inside this; it only keeps the
  // sums below from overflowing for a clock given from outside.
  constexpr std::int64_t kClockLimit = std::int64_t{1} << 40;
  const std::int64_t base =
      std::clamp(clock, -kClockLimit, kClockLimit) + GmtOffsetSeconds(gmtOffsetHours);
  offset = std::clamp(offset, FirstSupportedSecond() - base,
                      std::max(FirstSupportedSecond() - base, LastSupportedSecond() - base));
  return static_cast<std::int32_t>(std::clamp(offset, kMin, kMax));
}

}  // namespace kelvora
