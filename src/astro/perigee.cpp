#include "astro/perigee.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <optional>

#include "astro/moon.h"

namespace kelvora {

namespace {

// How far the searches may look in either direction. Perigee and apogee are
// less than 15 days apart, but the whole-kilometre samples can put the first
// turning pair a day or two beyond a fortnight; a month is ample.
constexpr int kSearchDays = 30;

// Daily samples of the distance at 00:00 UTC in whole kilometres (truncated),
// for days -(kSearchDays + 1) .. +(kSearchDays + 1) around today, each
// evaluated when first needed.
class DailySamples {
 public:
  explicit DailySamples(double today) : today_(today) {}

  std::int32_t operator()(int day) {
    auto& slot = samples_[static_cast<std::size_t>(day + kSpan)];
    if (!slot) {
      slot = static_cast<std::int32_t>(MoonDistanceKm(today_ + day));
    }
    return *slot;
  }

 private:
  static constexpr int kSpan = kSearchDays + 1;
  double today_;
  std::array<std::optional<std::int32_t>, 2 * kSpan + 1> samples_{};
};

// The smallest j in 1..kSearchDays for which turned(j) holds.
template <typename Predicate>
std::optional<int> FirstDay(Predicate turned) {
  for (int j = 1; j <= kSearchDays; ++j) {
    if (turned(j)) return j;
  }
  return std::nullopt;
}

}  // namespace

PerigeeApogee UpdatePerigeeApogee(double moonDayCount, PerigeeApogee previous) {
  // Today is the UTC-scale day holding moonDayCount (floor, so that moments
  // before 1970 fall on their own day as well).
  DailySamples sample(std::floor(moonDayCount));
  const std::int32_t today = sample(0);
  const std::int32_t tomorrow = sample(1);
  const std::int32_t yesterday = sample(-1);

  PerigeeApogee result = previous;
  if (today > tomorrow) {
    // Falling: the next perigee ahead, the last apogee behind.
    if (auto j = FirstDay([&](int d) { return sample(d) <= sample(d + 1); })) {
      result.perigeeDays = *j;
    }
    if (today < yesterday) {
      if (auto j = FirstDay([&](int d) { return sample(-d) >= sample(-d - 1); })) {
        result.apogeeDays = -*j;
      }
    } else {
      result.apogeeDays = 0;
    }
  } else if (today < tomorrow) {
    // Rising: the next apogee ahead, the last perigee behind.
    if (auto j = FirstDay([&](int d) { return sample(d) >= sample(d + 1); })) {
      result.apogeeDays = *j;
    }
    if (today > yesterday) {
      if (auto j = FirstDay([&](int d) { return sample(-d) <= sample(-d - 1); })) {
        result.perigeeDays = -*j;
      }
    } else {
      result.perigeeDays = 0;
    }
  }
  return result;
}

}  // namespace kelvora
