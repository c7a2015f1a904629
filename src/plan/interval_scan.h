// The interval search shared by the planner's scans: where does a margin in
// degrees stay at or above zero?
#pragma once

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "plan/sked_plan.h"

namespace kelvora {

// No moon elevation changes faster than this: the earth turns 15.04 deg/h
// against the stars and the moon moves the other way, so the hour angle runs
// at most about 14.5 deg/h; the changing declination and parallax add well
// under a degree per hour. The bound leaves a margin.
inline constexpr double kMaxElevationRateDegPerSecond = 18.0 / 3600.0;
// Steps never shrink below this (a dip or peak shorter than it may be
// stepped over) nor grow beyond the longer one.
inline constexpr std::int64_t kScanMinStepSeconds = 60;
inline constexpr std::int64_t kScanMaxStepSeconds = 2 * 3600;

struct IntervalScan {
  std::int64_t begin;  // first second looked at
  std::int64_t end;    // last second looked at
  // Stop once no interval is open and this second has passed.
  std::int64_t latestStart = std::numeric_limits<std::int64_t>::max();
  std::size_t maxCount = std::numeric_limits<std::size_t>::max();
};

// The intervals of whole seconds in [begin, end] where margin(t) >= 0.
// Steps of |margin| / kMaxElevationRateDegPerSecond cannot skip a change of
// sign; each change found is narrowed by bisection to the exact second. A NaN
// margin counts as below. A set cancel flag stops the scan (cancelled set).
template <typename Margin>
std::vector<SecondsInterval> ScanIntervals(const Margin& margin, const IntervalScan& scan,
                                           const std::atomic<bool>* cancel, bool& cancelled) {
  std::vector<SecondsInterval> out;
  std::int64_t t = scan.begin;
  double f = margin(t);
  // A plain pair rather than an optional: GCC 12 warns about the optional's
  // storage here although every read follows a write.
  bool open = f >= 0.0;
  std::int64_t openedAt = t;
  while (t < scan.end) {
    if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) {
      cancelled = true;
      return out;
    }
    if (!open && t > scan.latestStart) return out;
    std::int64_t step = kScanMinStepSeconds;
    if (std::isfinite(f)) {
      step = static_cast<std::int64_t>(std::clamp(std::fabs(f) / kMaxElevationRateDegPerSecond,
                                                  static_cast<double>(kScanMinStepSeconds),
                                                  static_cast<double>(kScanMaxStepSeconds)));
    }
    const std::int64_t next = std::min(scan.end, t + step);
    const double fn = margin(next);
    const bool above = fn >= 0.0;
    if (above != (f >= 0.0)) {
      // First second in (t, next] on the side of `next`.
      std::int64_t lo = t;
      std::int64_t hi = next;
      while (hi - lo > 1) {
        const std::int64_t mid = lo + (hi - lo) / 2;
        if ((margin(mid) >= 0.0) == above) {
          hi = mid;
        } else {
          lo = mid;
        }
      }
      if (above) {
        if (hi > scan.latestStart) return out;
        open = true;
        openedAt = hi;
      } else {
        out.push_back({openedAt, hi - 1});
        open = false;
        if (out.size() >= scan.maxCount) return out;
      }
    }
    t = next;
    f = fn;
  }
  if (open) out.push_back({openedAt, scan.end});
  return out;
}

// What the scans look at for two stations: the mutual margin where it is
// needed, and only the home margin while that is below zero. The sign is the
// same either way, and the home margin is then no further from zero, so the
// steps it gives are no longer than safe; it spares half the moon positions.
// A moment the moon theory refuses (a checked request keeps its span an
// hour inside its years) counts as the moon being nowhere near up.
inline double MutualScanMargin(const PlanSite& home, const PlanSite& dx, std::int64_t utc) {
  constexpr double kNotUp = -std::numeric_limits<double>::infinity();
  const Result<double> atHome = PlanMoonElevation(home, utc);
  if (!atHome) return kNotUp;
  const double homeMargin = *atHome - home.minElevation;
  if (homeMargin < 0.0) return homeMargin;
  const Result<double> atDx = PlanMoonElevation(dx, utc);
  return atDx ? std::min(homeMargin, *atDx - dx.minElevation) : kNotUp;
}

}  // namespace kelvora
