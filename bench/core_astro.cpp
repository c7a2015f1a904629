// Timing of the astronomy engine: one tick's astronomy, the sky-map track,
// the rise and set searches and the visibility outline.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "astro/footprint.h"
#include "astro/moon.h"
#include "astro/perigee.h"
#include "astro/rise_set.h"
#include "astro/sky.h"
#include "astro/sun.h"

namespace kelvora {
namespace {

constexpr std::int64_t k2000Noon = 946728000;  // 2000-01-01 12:00:00 UTC
constexpr double kLat = 29.42;
constexpr double kLon = 95.36;

void BM_MoonPosition(benchmark::State& state) {
  std::int64_t t = k2000Noon;
  for (auto _ : state) {
    benchmark::DoNotOptimize(MoonPosition(kLat, kLon, t, TimeBase{}));
    t += 61;
  }
}
BENCHMARK(BM_MoonPosition);

void BM_SunPosition(benchmark::State& state) {
  std::int64_t t = k2000Noon;
  for (auto _ : state) {
    benchmark::DoNotOptimize(SunPosition(kLat, kLon, t, TimeBase{}));
    t += 61;
  }
}
BENCHMARK(BM_SunPosition);

void BM_UpdatePerigeeApogee(benchmark::State& state) {
  // A new day each call, so the searches run over a month of cases.
  double day = 10957.5;
  PerigeeApogee counts{0, 0};
  for (auto _ : state) {
    counts = UpdatePerigeeApogee(day, counts);
    benchmark::DoNotOptimize(counts);
    day += 1;
  }
}
BENCHMARK(BM_UpdatePerigeeApogee);

// The astronomy of one tick: the sun, the moon for both stations, the counts.
void BM_TickAstronomy(benchmark::State& state) {
  std::int64_t t = k2000Noon;
  PerigeeApogee counts{0, 0};
  for (auto _ : state) {
    benchmark::DoNotOptimize(SunPosition(kLat, kLon, t, TimeBase{}));
    benchmark::DoNotOptimize(MoonPosition(51.5, 0.1, t, TimeBase{}));
    const auto moon = MoonPosition(kLat, kLon, t, TimeBase{});
    counts = UpdatePerigeeApogee(moon->dayCount, counts);
    benchmark::DoNotOptimize(counts);
    t += 86400 + 1;
  }
}
BENCHMARK(BM_TickAstronomy);

void BM_MoonTrack(benchmark::State& state) {
  std::int64_t t = k2000Noon;
  for (auto _ : state) {
    benchmark::DoNotOptimize(MoonTrack(kLat, kLon, t, TimeBase{}));
    t += 3607;
  }
}
BENCHMARK(BM_MoonTrack);

void BM_FindHorizonCrossingMoon(benchmark::State& state) {
  std::int64_t t = k2000Noon;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FindHorizonCrossing(kLat, kLon, Body::Moon, t, 0, 0));
    t += 3 * 3600 + 17;
  }
}
BENCHMARK(BM_FindHorizonCrossingMoon);

void BM_FindHorizonCrossingSun(benchmark::State& state) {
  std::int64_t t = k2000Noon;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FindHorizonCrossing(kLat, kLon, Body::Sun, t, 0, 0));
    t += 3 * 3600 + 17;
  }
}
BENCHMARK(BM_FindHorizonCrossingSun);

void BM_VisibilityFootprint(benchmark::State& state) {
  const CircleTables circles = BuildCircleTables();
  double hourAngle = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(VisibilityFootprint(384400, -0.19, hourAngle, circles));
    hourAngle += 0.0174533;
    if (hourAngle > 6.28) hourAngle = 0;
  }
}
BENCHMARK(BM_VisibilityFootprint);

}  // namespace
}  // namespace kelvora
