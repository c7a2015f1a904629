// One full tracking tick, as the window runs it at least once a second and
// once for nearly every message it handles. Targets: under 20 us with the
// earth map, under 70 us with the sky map (26 extra moon positions).
#include <benchmark/benchmark.h>

#include <cstdint>

#include "tick/tick.h"

namespace {

constexpr std::int64_t kStartClock = 1700000000;  // 2023-11-14 22:13:20 UTC

kelvora::TrackerModel BenchModel(bool skyMap) {
  kelvora::TrackerModel model;
  model.home.latitude = model.home.sunLatitude = 29.42;
  model.home.longitude = model.home.sunLongitude = 95.36;
  model.home.locator = "EL29HK";
  model.station2.latitude = 51.5;
  model.station2.longitude = 0.1;
  model.station2.locator = "IO91WM";
  model.view.skyMap = skyMap;
  model.view.mapBitmap = skyMap ? kelvora::kSkyMapBitmap : kelvora::kEarthMapBitmap;
  return model;
}

// The clock advances a second per tick, so the footprint is rebuilt about
// every 240 ticks, as in live use.
void RunTicks(benchmark::State& state, bool skyMap) {
  kelvora::TrackerModel model = BenchModel(skyMap);
  std::int64_t clock = kStartClock;
  for (auto _ : state) {
    kelvora::TickOutcome outcome = kelvora::RunTick(model, kelvora::kTickTimerId, clock++);
    benchmark::DoNotOptimize(outcome);
  }
}

void BM_FullTickEarthMap(benchmark::State& state) { RunTicks(state, false); }
void BM_FullTickSkyMap(benchmark::State& state) { RunTicks(state, true); }

// The footprint rebuild alone bounds the worst tick: a refresh request every time.
void BM_FullTickWithFootprintRebuild(benchmark::State& state) {
  kelvora::TrackerModel model = BenchModel(false);
  for (auto _ : state) {
    model.view.moonViewRefresh = true;
    kelvora::TickOutcome outcome = kelvora::RunTick(model, kelvora::kTickTimerId, kStartClock);
    benchmark::DoNotOptimize(outcome);
  }
}

void BM_StatusTimer(benchmark::State& state) {
  kelvora::TrackerModel model = BenchModel(false);
  for (auto _ : state) {
    kelvora::TickOutcome outcome = kelvora::RunTick(model, kelvora::kStatusTimerId, 0);
    benchmark::DoNotOptimize(outcome);
  }
}

BENCHMARK(BM_FullTickEarthMap);
BENCHMARK(BM_FullTickSkyMap);
BENCHMARK(BM_FullTickWithFootprintRebuild);
BENCHMARK(BM_StatusTimer);

}  // namespace
