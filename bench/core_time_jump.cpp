// A tick right after a time-step key: the tracked moment jumps to a varied
// moment (the time offset changes), so the perigee and apogee counts and the
// footprint cannot reuse the previous tick's work. Compare with
// BM_FullTickEarthMap, where the clock advances a second per tick.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "tick/tick.h"
#include "varied_moments.h"

namespace {

constexpr std::int64_t kClock = 1700000000;  // 2023-11-14 22:13:20 UTC

void BM_TickAfterTimeJump(benchmark::State& state) {
  kelvora::TrackerModel model;
  model.home.latitude = model.home.sunLatitude = 29.42;
  model.home.longitude = model.home.sunLongitude = 95.36;
  model.home.locator = "EL29HK";
  model.station2.latitude = 51.5;
  model.station2.longitude = 0.1;
  model.station2.locator = "IO91WM";
  kelvora::bench::MomentCursor moments;
  for (auto _ : state) {
    // The offset that puts the tracked moment on the next varied moment
    // (1975-2035 from a 2023 clock stays inside 32 bits).
    model.tracking.timeOffset = static_cast<std::int32_t>(moments.Next().utc - kClock);
    kelvora::TickOutcome outcome = kelvora::RunTick(model, kelvora::kTickTimerId, kClock);
    benchmark::DoNotOptimize(outcome);
  }
}
BENCHMARK(BM_TickAfterTimeJump);

// Stepping by a day per tick, as holding a day-step key does.
void BM_TickAfterDayStep(benchmark::State& state) {
  kelvora::TrackerModel model;
  model.home.latitude = model.home.sunLatitude = 29.42;
  model.home.longitude = model.home.sunLongitude = 95.36;
  model.station2.latitude = 51.5;
  model.station2.longitude = 0.1;
  std::int32_t offset = 0;
  for (auto _ : state) {
    offset = offset > 20 * 365 * 86400 ? 0 : offset + 86400;
    model.tracking.timeOffset = offset;
    kelvora::TickOutcome outcome = kelvora::RunTick(model, kelvora::kTickTimerId, kClock);
    benchmark::DoNotOptimize(outcome);
  }
}
BENCHMARK(BM_TickAfterDayStep);

}  // namespace
