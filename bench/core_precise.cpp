// Timing of the accurate figures beside the standard moon theory, over
// moments spread across 1960-2099 and stations over the whole earth, in
// shuffled order. Also the two precession-nutation models one could build
// them on, to show why the cheaper one was taken.
#include <benchmark/benchmark.h>
#include <erfa.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "astro/moon.h"
#include "precise/libration.h"
#include "precise/precise.h"

namespace kelvora::precise {
namespace {

struct Case {
  std::int64_t utc;
  Site home;
  Site dx;
};

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = [] {
    std::mt19937_64 random(12);
    std::uniform_int_distribution<std::int64_t> moment(kFirstPreciseSecond, kLastPreciseSecond);
    std::uniform_real_distribution<double> latitude(-85.0, 85.0);
    std::uniform_real_distribution<double> longitude(-180.0, 180.0);
    std::uniform_real_distribution<double> height(0.0, 3000.0);
    std::vector<Case> out(4096);
    for (Case& c : out) {
      c.utc = moment(random);
      c.home = {latitude(random), longitude(random), height(random)};
      c.dx = {latitude(random), longitude(random), height(random)};
    }
    std::shuffle(out.begin(), out.end(), random);
    return out;
  }();
  return cases;
}

// Julian TT dates of the cases, for the bare ERFA calls.
std::vector<double> TtDates() {
  std::vector<double> out;
  for (const Case& c : Cases()) out.push_back(2440587.5 + static_cast<double>(c.utc) / 86400.0);
  return out;
}

void BM_StandardMoonPosition(benchmark::State& state) {
  const auto& cases = Cases();
  std::size_t i = 0;
  for (auto _ : state) {
    const Case& c = cases[i++ & 4095];
    benchmark::DoNotOptimize(
        MoonPosition(c.home.latitudeDeg, c.home.longitudeWestDeg, c.utc, TimeBase{}));
  }
}
BENCHMARK(BM_StandardMoonPosition);

// One accurate fix for one station, from nothing.
void BM_PreciseMoon(benchmark::State& state) {
  const auto& cases = Cases();
  std::size_t i = 0;
  for (auto _ : state) {
    const Case& c = cases[i++ & 4095];
    benchmark::DoNotOptimize(PreciseMoon(c.home, c.utc));
  }
}
BENCHMARK(BM_PreciseMoon);

// The same, a tick later: the caller hands back the frame of a moment half
// a minute before, as a once-a-second tick would.
void BM_PreciseMoonReusingFrame(benchmark::State& state) {
  const auto& cases = Cases();
  std::vector<CelestialFrame> frames;
  for (const Case& c : cases) frames.push_back(PrepareMoment(c.utc)->frame);
  std::size_t i = 0;
  for (auto _ : state) {
    const std::size_t k = i++ & 4095;
    const auto moment = PrepareMoment(cases[k].utc + 30, &frames[k]);
    benchmark::DoNotOptimize(PreciseMoon(*moment, cases[k].home));
  }
}
BENCHMARK(BM_PreciseMoonReusingFrame);

void BM_PrepareMoment(benchmark::State& state) {
  const auto& cases = Cases();
  std::size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(PrepareMoment(cases[i++ & 4095].utc));
}
BENCHMARK(BM_PrepareMoment);

// A further station at a moment already prepared.
void BM_PreciseMoonFromMoment(benchmark::State& state) {
  const auto& cases = Cases();
  std::vector<Moment> moments;
  for (const Case& c : cases) moments.push_back(*PrepareMoment(c.utc));
  std::size_t i = 0;
  for (auto _ : state) {
    const std::size_t k = i++ & 4095;
    benchmark::DoNotOptimize(PreciseMoon(moments[k], cases[k].dx));
  }
}
BENCHMARK(BM_PreciseMoonFromMoment);

void BM_PreciseSun(benchmark::State& state) {
  const auto& cases = Cases();
  std::size_t i = 0;
  for (auto _ : state) {
    const Case& c = cases[i++ & 4095];
    benchmark::DoNotOptimize(PreciseSun(c.home, c.utc));
  }
}
BENCHMARK(BM_PreciseSun);

// What a tick with accurate figures for two stations asks for: both moon
// fixes and the polarity offset, and the sun at home.
void BM_PreciseTwoStationTick(benchmark::State& state) {
  const auto& cases = Cases();
  std::size_t i = 0;
  for (auto _ : state) {
    const Case& c = cases[i++ & 4095];
    const auto moment = PrepareMoment(c.utc);
    const auto home = PreciseMoon(*moment, c.home);
    const auto dx = PreciseMoon(*moment, c.dx);
    benchmark::DoNotOptimize(home);
    benchmark::DoNotOptimize(dx);
    benchmark::DoNotOptimize(PrecisePolarityOffsetDeg(*moment, c.home, c.dx));
    benchmark::DoNotOptimize(PreciseSun(*moment, c.home));
  }
}
BENCHMARK(BM_PreciseTwoStationTick);

void BM_PreciseTwoStationTickReusingFrame(benchmark::State& state) {
  const auto& cases = Cases();
  std::vector<CelestialFrame> frames;
  for (const Case& c : cases) frames.push_back(PrepareMoment(c.utc)->frame);
  std::size_t i = 0;
  for (auto _ : state) {
    const std::size_t k = i++ & 4095;
    const Case& c = cases[k];
    const auto moment = PrepareMoment(c.utc + 30, &frames[k]);
    const auto home = PreciseMoon(*moment, c.home);
    const auto dx = PreciseMoon(*moment, c.dx);
    benchmark::DoNotOptimize(home);
    benchmark::DoNotOptimize(dx);
    benchmark::DoNotOptimize(PrecisePolarityOffsetDeg(*moment, c.home, c.dx));
    benchmark::DoNotOptimize(PreciseSun(*moment, c.home));
  }
}
BENCHMARK(BM_PreciseTwoStationTickReusingFrame);

void BM_PrecisePath(benchmark::State& state) {
  const auto& cases = Cases();
  std::size_t i = 0;
  for (auto _ : state) {
    const Case& c = cases[i++ & 4095];
    benchmark::DoNotOptimize(PrecisePath(c.home, c.dx, c.utc));
  }
}
BENCHMARK(BM_PrecisePath);

// An accurate fix with the microwave figures (delays, Doppler rates,
// libration spreads of the echo and the path at 10 GHz), from nothing.
void BM_PreciseMicrowaveFix(benchmark::State& state) {
  const auto& cases = Cases();
  std::size_t i = 0;
  for (auto _ : state) {
    const Case& c = cases[i++ & 4095];
    const auto moment = PrepareMoment(c.utc);
    benchmark::DoNotOptimize(PreciseMoon(*moment, c.home));
    benchmark::DoNotOptimize(MicrowaveAt(*moment, c.home, c.dx, 10368e6));
  }
}
BENCHMARK(BM_PreciseMicrowaveFix);

// The same as a once-a-second tick asks for it: the frame of the previous
// second handed back, after a few ticks of handing on (so it carries the
// moon's anchors). One case in kMoonAnchorSeconds crosses into a new
// stretch, as a tick does.
void BM_PreciseMicrowaveFixReusingFrame(benchmark::State& state) {
  const auto& cases = Cases();
  std::vector<CelestialFrame> frames;
  for (const Case& c : cases) {
    CelestialFrame frame = PrepareMoment(c.utc - 3)->frame;
    for (std::int64_t t = c.utc - 2; t < c.utc; ++t) frame = PrepareMoment(t, &frame)->frame;
    frames.push_back(frame);
  }
  std::size_t i = 0;
  for (auto _ : state) {
    const std::size_t k = i++ & 4095;
    const Case& c = cases[k];
    const auto moment = PrepareMoment(c.utc, &frames[k]);
    benchmark::DoNotOptimize(PreciseMoon(*moment, c.home));
    benchmark::DoNotOptimize(MicrowaveAt(*moment, c.home, c.dx, 10368e6));
  }
}
BENCHMARK(BM_PreciseMicrowaveFixReusingFrame);

// The precession-nutation choices: the full IAU 2006/2000A matrix against
// the 2000B nutation with the IAU 2000 frame that PrepareMoment uses.
void BM_ErfaPnm06a(benchmark::State& state) {
  const std::vector<double> dates = TtDates();
  std::size_t i = 0;
  double r[3][3];
  for (auto _ : state) {
    eraPnm06a(dates[i++ & 4095], 0.0, r);
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(BM_ErfaPnm06a);

void BM_ErfaNut00bPn00(benchmark::State& state) {
  const std::vector<double> dates = TtDates();
  std::size_t i = 0;
  double dpsi, deps, epsa, rb[3][3], rp[3][3], rbp[3][3], rn[3][3], rbpn[3][3];
  for (auto _ : state) {
    const double d = dates[i++ & 4095];
    eraNut00b(d, 0.0, &dpsi, &deps);
    eraPn00(d, 0.0, dpsi, deps, &epsa, rb, rp, rbp, rn, rbpn);
    benchmark::DoNotOptimize(rbpn);
  }
}
BENCHMARK(BM_ErfaNut00bPn00);

void BM_ErfaMoon98(benchmark::State& state) {
  const std::vector<double> dates = TtDates();
  std::size_t i = 0;
  double pv[2][3];
  for (auto _ : state) {
    eraMoon98(dates[i++ & 4095], 0.0, pv);
    benchmark::DoNotOptimize(pv);
  }
}
BENCHMARK(BM_ErfaMoon98);

}  // namespace
}  // namespace kelvora::precise
