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

// Whole-kilometre distances (truncated) at 00:00 UTC of days since 1970,
// remembered by day. They are a pure function of the day, so remembering them
// changes no result; it lets the next search reuse the days it shares with
// this one: the next day's count in live time, a time step of a day or a
// week, or a return from a jump. One memory per thread, so that threads never
// share it; 128 days (the last few searches) in slots chosen by the day.
class DistanceMemory {
 public:
  std::int32_t At(double day) {
    // Days far outside any calendar are not worth a slot (nor a key).
    if (!(std::abs(day) < kMemorableDays)) return static_cast<std::int32_t>(MoonDistanceKm(day));
    const auto key = static_cast<std::int64_t>(day);
    Slot& slot = slots_[static_cast<std::size_t>(key) % slots_.size()];
    if (!slot.filled || slot.day != key) {
      slot = {key, static_cast<std::int32_t>(MoonDistanceKm(day)), true};
    }
    return slot.km;
  }

 private:
  static constexpr double kMemorableDays = 1.0e7;
  struct Slot {
    std::int64_t day = 0;
    std::int32_t km = 0;
    bool filled = false;
  };
  std::array<Slot, 128> slots_{};
};

// The daily samples for days -(kSearchDays + 1) .. +(kSearchDays + 1) around
// today, each read when first needed.
class DailySamples {
 public:
  explicit DailySamples(double today) : today_(today) {}

  std::int32_t operator()(int day) {
    thread_local DistanceMemory memory;
    return memory.At(today_ + day);
  }

 private:
  double today_;
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
