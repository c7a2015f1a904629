// Timing of the astronomy engine. Every routine is timed on the fixed table
// of varied moments (bench/varied_moments.h), one moment per call, the way a
// planner or a time jump calls it; the "Stepping" cases keep the old pattern
// of a clock that advances a little per call, which flatters caches and the
// branch predictor and stands for live tracking.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "astro/footprint.h"
#include "astro/moon.h"
#include "astro/perigee.h"
#include "astro/rise_set.h"
#include "astro/sky.h"
#include "astro/sources.h"
#include "astro/sun.h"
#include "varied_moments.h"

namespace kelvora {
namespace {

using bench::MomentCursor;

constexpr std::int64_t k2000Noon = 946728000;  // 2000-01-01 12:00:00 UTC
constexpr double kLat = 29.42;
constexpr double kLon = 95.36;
constexpr double kDaysFrom1970ToJ2000 = 10957.5;

double DaysSince1970(std::int64_t utc) { return static_cast<double>(utc) / 86400; }

void BM_MoonPosition(benchmark::State& state) {
  MomentCursor moments;
  for (auto _ : state) {
    const auto& m = moments.Next();
    benchmark::DoNotOptimize(MoonPosition(m.site.latitude, m.site.longitude, m.utc, TimeBase{}));
  }
}
BENCHMARK(BM_MoonPosition);

void BM_MoonPositionStepping61s(benchmark::State& state) {
  std::int64_t t = k2000Noon;
  for (auto _ : state) {
    benchmark::DoNotOptimize(MoonPosition(kLat, kLon, t, TimeBase{}));
    t += 61;
  }
}
BENCHMARK(BM_MoonPositionStepping61s);

void BM_MoonDistance(benchmark::State& state) {
  MomentCursor moments;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        MoonDistanceEarthRadii(DaysSince1970(moments.Next().utc) - kDaysFrom1970ToJ2000));
  }
}
BENCHMARK(BM_MoonDistance);

void BM_SunPosition(benchmark::State& state) {
  MomentCursor moments;
  for (auto _ : state) {
    const auto& m = moments.Next();
    benchmark::DoNotOptimize(SunPosition(m.site.latitude, m.site.longitude, m.utc, TimeBase{}));
  }
}
BENCHMARK(BM_SunPosition);

void BM_SunPositionStepping61s(benchmark::State& state) {
  std::int64_t t = k2000Noon;
  for (auto _ : state) {
    benchmark::DoNotOptimize(SunPosition(kLat, kLon, t, TimeBase{}));
    t += 61;
  }
}
BENCHMARK(BM_SunPositionStepping61s);

void BM_SourcePosition(benchmark::State& state) {
  MomentCursor moments;
  const auto sources = RadioSources();
  std::size_t k = 0;
  for (auto _ : state) {
    const auto& m = moments.Next();
    const RadioSource& source = sources[k++ % sources.size()];
    benchmark::DoNotOptimize(SourcePosition(source.declination, source.rightAscension,
                                            m.site.latitude, m.site.longitude, m.utc,
                                            TimeBase{}));
  }
}
BENCHMARK(BM_SourcePosition);

void BM_UpdatePerigeeApogee(benchmark::State& state) {
  MomentCursor moments;
  PerigeeApogee counts{0, 0};
  for (auto _ : state) {
    counts = UpdatePerigeeApogee(DaysSince1970(moments.Next().utc), counts);
    benchmark::DoNotOptimize(counts);
  }
}
BENCHMARK(BM_UpdatePerigeeApogee);

void BM_UpdatePerigeeApogeeSteppingDaily(benchmark::State& state) {
  double day = 10957.5;
  PerigeeApogee counts{0, 0};
  for (auto _ : state) {
    counts = UpdatePerigeeApogee(day, counts);
    benchmark::DoNotOptimize(counts);
    day += 1;
  }
}
BENCHMARK(BM_UpdatePerigeeApogeeSteppingDaily);

void BM_MoonTrack(benchmark::State& state) {
  MomentCursor moments;
  for (auto _ : state) {
    const auto& m = moments.Next();
    benchmark::DoNotOptimize(MoonTrack(m.site.latitude, m.site.longitude, m.utc, TimeBase{}));
  }
}
BENCHMARK(BM_MoonTrack);

void BM_QuickMoonElevation(benchmark::State& state) {
  MomentCursor moments;
  for (auto _ : state) {
    const auto& m = moments.Next();
    benchmark::DoNotOptimize(QuickMoonElevation(m.site.latitude, m.site.longitude, m.utc));
  }
}
BENCHMARK(BM_QuickMoonElevation);

void CrossingVaried(benchmark::State& state, Body body) {
  MomentCursor moments;
  for (auto _ : state) {
    const auto& m = moments.Next();
    benchmark::DoNotOptimize(
        FindHorizonCrossing(m.site.latitude, m.site.longitude, body, m.utc, 0, 0));
  }
}
void BM_FindHorizonCrossingMoon(benchmark::State& state) { CrossingVaried(state, Body::Moon); }
void BM_FindHorizonCrossingSun(benchmark::State& state) { CrossingVaried(state, Body::Sun); }
BENCHMARK(BM_FindHorizonCrossingMoon);
BENCHMARK(BM_FindHorizonCrossingSun);

void BM_FindHorizonCrossingMoonStepping(benchmark::State& state) {
  std::int64_t t = k2000Noon;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FindHorizonCrossing(kLat, kLon, Body::Moon, t, 0, 0));
    t += 3 * 3600 + 17;
  }
}
BENCHMARK(BM_FindHorizonCrossingMoonStepping);

// The outline for the moon's declination and hour angle at each varied moment.
void BM_VisibilityFootprint(benchmark::State& state) {
  const CircleTables circles = BuildCircleTables();
  struct Place {
    double distance, declination, hourAngle;
  };
  std::vector<Place> places;
  for (const auto& m : bench::VariedMoments()) {
    const auto fix = MoonPosition(m.site.latitude, m.site.longitude, m.utc, TimeBase{});
    places.push_back({fix->distance, fix->declination, fix->hourAngle});
  }
  std::size_t k = 0;
  for (auto _ : state) {
    const Place& p = places[k++ % places.size()];
    benchmark::DoNotOptimize(VisibilityFootprint(p.distance, p.declination, p.hourAngle, circles));
  }
}
BENCHMARK(BM_VisibilityFootprint);

void BM_VisibilityFootprintStepping1deg(benchmark::State& state) {
  const CircleTables circles = BuildCircleTables();
  double hourAngle = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(VisibilityFootprint(384400, -0.19, hourAngle, circles));
    hourAngle += 0.0174533;
    if (hourAngle > 6.28) hourAngle = 0;
  }
}
BENCHMARK(BM_VisibilityFootprintStepping1deg);

}  // namespace
}  // namespace kelvora
