// The clock value and the bounded time step.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <optional>
#include <string>

#include "app/clock.h"
#include "astro/time_helpers.h"

namespace kelvora {
namespace {

// Runs with TZ set to `zone` and puts the old setting back afterwards.
class ScopedZone {
 public:
  explicit ScopedZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) {
      old_ = old;
    }
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ScopedZone() {
    if (old_) {
      setenv("TZ", old_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  std::optional<std::string> old_;
};

TEST(ClockValue, LocalStandardTimeCountedAsUtc) {
  struct Row {
    const char* name;
    const char* zone;
    std::int64_t aheadOfUtc;  // seconds
  } rows[] = {
      {"utc", "UTC0", 0},
      {"three_hours_east", "KLV-3", 3 * 3600},
      {"six_hours_west", "KLV6", -6 * 3600},
      // Summer time from the first Sunday of January to the last Sunday of
      // December: whatever today is, the standard offset is what counts.
      {"summer_time_ignored", "KLV5KLS,M1.1.0,M12.5.0", -5 * 3600},
  };
  for (const Row& r : rows) {
    ScopedZone zone(r.zone);
    const std::int64_t before = std::time(nullptr);
    const std::int64_t clock = ClockValue();
    const std::int64_t after = std::time(nullptr);
    EXPECT_GE(clock, before + r.aheadOfUtc) << r.name;
    EXPECT_LE(clock, after + r.aheadOfUtc) << r.name;
  }
}

TEST(StepTimeOffset, AddsAndClamps) {
  constexpr std::int64_t k2000 = 946684800;         // 2000-01-01 00:00 UTC
  constexpr std::int64_t k2090 = 3786912000;        // 2090-01-01 00:00 UTC
  constexpr std::int64_t kLast = 4102444799;        // 2099-12-31 23:59:59 UTC
  constexpr std::int64_t kFirst = -2177452800;      // 1901-01-01 00:00 UTC
  constexpr std::int64_t kYear = 31536000;
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  ASSERT_EQ(LastSupportedSecond(), kLast);
  ASSERT_EQ(FirstSupportedSecond(), kFirst);
  struct Row {
    const char* name;
    std::int32_t offset;
    std::int64_t step;
    std::int64_t clock;
    std::int32_t gmtHours;
    std::int32_t result;
  } rows[] = {
      {"plain_minute", 0, 60, k2000, 0, 60},
      {"plain_back_a_day", 100, -86400, k2000, 0, -86300},
      {"int32_top", kMax - 10, kYear, k2000, 0, kMax},
      {"int32_bottom", kMin + 10, -kYear, k2000, 0, kMin},
      // From 2090 plus six hours of GMT offset, the last second of 2099 is
      // 4102444799 - 3786912000 - 21600 = 315511199 s ahead.
      {"last_supported_second", 315000000, kYear, k2090, 6, 315511199},
      {"first_supported_second", 0, -kYear, kFirst + 1000, 0, -1000},
      {"huge_step", 0, std::numeric_limits<std::int64_t>::max(), k2000, 0, kMax},
      {"huge_negative_step", 0, std::numeric_limits<std::int64_t>::min(), k2000, 0, kMin},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(StepTimeOffset(r.offset, r.step, r.clock, r.gmtHours), r.result) << r.name;
  }
}

}  // namespace
}  // namespace kelvora
