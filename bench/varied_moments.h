// The moments and sites every astronomy benchmark walks: a fixed table spread
// evenly over 1975-2035, shuffled with a fixed seed, so that consecutive calls
// share nothing a cache or a branch predictor could reuse. The same table is
// built on every run, so figures of different runs compare.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <vector>

namespace kelvora::bench {

inline constexpr std::size_t kVariedCount = 1024;
inline constexpr std::int64_t k1975 = 157766400;   // 1975-01-01 00:00:00 UTC
inline constexpr std::int64_t k2035 = 2051222400;  // 2035-01-01 00:00:00 UTC

struct Site {
  double latitude;   // degrees
  double longitude;  // degrees, west positive
};

// A handful of stations from the tropics to high latitudes, both hemispheres.
inline constexpr std::array<Site, 8> kSites = {{
    {29.42, 95.36}, {51.5, 0.1}, {-33.9, -151.2}, {60.2, -24.9},
    {35.7, -139.7}, {-23.5, 46.6}, {64.8, 147.7}, {0.3, -32.6},
}};

struct VariedMoment {
  std::int64_t utc;  // seconds since 1970, UTC scale
  Site site;
};

inline std::vector<VariedMoment> VariedMoments() {
  std::vector<VariedMoment> table;
  table.reserve(kVariedCount);
  const std::int64_t step = (k2035 - k1975) / static_cast<std::int64_t>(kVariedCount);
  std::mt19937_64 random(20261207);
  for (std::size_t i = 0; i < kVariedCount; ++i) {
    // An odd second within the step, so that moments fall at any time of day.
    const auto jitter = static_cast<std::int64_t>(random() % static_cast<std::uint64_t>(step));
    table.push_back({k1975 + static_cast<std::int64_t>(i) * step + jitter,
                     kSites[i % kSites.size()]});
  }
  std::shuffle(table.begin(), table.end(), random);
  return table;
}

// Walks the table round and round: the next entry on every call.
class MomentCursor {
 public:
  MomentCursor() : table_(VariedMoments()) {}
  const VariedMoment& Next() {
    const VariedMoment& m = table_[index_];
    index_ = (index_ + 1) % table_.size();
    return m;
  }
  const std::vector<VariedMoment>& Table() const { return table_; }

 private:
  std::vector<VariedMoment> table_;
  std::size_t index_ = 0;
};

}  // namespace kelvora::bench
