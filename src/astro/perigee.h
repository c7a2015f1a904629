// Whole days to or since the nearest perigee and apogee.
#pragma once

namespace kelvora {

struct PerigeeApogee {
  int perigeeDays;  // > 0 ahead, < 0 ago, 0 today
  int apogeeDays;
};

// Counts for the UTC-scale day of moonDayCount (days since 1970 with fraction)
// from daily distance samples truncated to whole kilometres. When today's and
// tomorrow's samples are equal the previous counts are returned unchanged.
PerigeeApogee UpdatePerigeeApogee(double moonDayCount, PerigeeApogee previous);

}  // namespace kelvora
