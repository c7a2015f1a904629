// Timing of the rotator's control step and of planning a pass's cable wrap,
// over the shared table of moments spread over decades at several sites,
// shuffled, so no cache or branch predictor sees the same case twice in a row.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "control/rotator_rules.h"
#include "control/rotator_target.h"
#include "control/wrap_planner.h"
#include "varied_moments.h"

namespace kelvora {
namespace {

constexpr AzimuthRange kRanges[] = {AzimuthRange::From0To360, AzimuthRange::FromMinus180To180,
                                    AzimuthRange::From0To450};

struct Case {
  RotatorSetup setup;
  ControlInput input;
};

ControlSite SiteOf(const bench::VariedMoment& m) { return {m.site.latitude, m.site.longitude}; }

std::vector<Case> ControlCases() {
  std::mt19937_64 random(13);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<Case> cases;
  for (const bench::VariedMoment& m : bench::VariedMoments()) {
    const TargetFunction moon = MakeTargetFunction(RotatorTarget{}, SiteOf(m));
    const std::int64_t t = m.utc;
    const auto now = moon(t);
    const auto ahead = moon(t + 60);
    if (!now || !ahead) continue;
    Case c;
    c.setup.azimuthRange = kRanges[random() % std::size(kRanges)];
    c.setup.thresholdDegrees = 0.1 + 9.9 * unit(random);
    c.setup.minimumElevation = unit(random) < 0.2 ? 5.0 : 0.0;
    c.input.target = {*now, {AzimuthDifference(ahead->azimuth, now->azimuth) / 60,
                             (ahead->elevation - now->elevation) / 60}};
    if (unit(random) < 0.7) c.input.referenceAzimuth = now->azimuth + (unit(random) < 0.5 ? 0 : 360);
    if (unit(random) < 0.8) {
      c.input.lastCommand = AzEl{now->azimuth + 3 * (unit(random) - 0.5), now->elevation + 3 * (unit(random) - 0.5)};
    }
    if (now->elevation < 0) c.input.waitDirection = AzEl{360 * unit(random), 0.0};
    cases.push_back(c);
  }
  return cases;
}

void BM_ControlStep(benchmark::State& state) {
  const std::vector<Case> cases = ControlCases();
  std::size_t i = 0;
  for (auto _ : state) {
    const Case& c = cases[i];
    benchmark::DoNotOptimize(ControlStep(c.setup, c.input));
    i = (i + 1) % cases.size();
  }
}
BENCHMARK(BM_ControlStep);

// One period's decision from scratch: the moon now and a minute ahead with
// the accurate figures, then the control step.
void BM_ControlStepWithAccurateMoon(benchmark::State& state) {
  bench::MomentCursor cursor;
  const RotatorSetup setup;
  for (auto _ : state) {
    const bench::VariedMoment& m = cursor.Next();
    const TargetFunction moon = MakeTargetFunction(RotatorTarget{}, SiteOf(m));
    const auto now = moon(m.utc);
    const auto ahead = moon(m.utc + 60);
    ControlInput input;
    input.target = {*now, {AzimuthDifference(ahead->azimuth, now->azimuth) / 60,
                           (ahead->elevation - now->elevation) / 60}};
    benchmark::DoNotOptimize(ControlStep(setup, input));
  }
}
BENCHMARK(BM_ControlStepWithAccurateMoon);

struct PassCase {
  ControlSite site;
  std::int64_t rise;
  std::vector<PassSample> pass;
  RotatorSetup setup;
};

// Whole moon passes (rise to set) at the sites over the decades, each with a
// rotator range; about a third of them need an unwind.
std::vector<PassCase> PassCases() {
  std::mt19937_64 random(14);
  std::vector<PassCase> cases;
  for (const bench::VariedMoment& m : bench::VariedMoments()) {
    if (cases.size() == 96) break;
    PassCase c;
    c.site = SiteOf(m);
    const TargetFunction moon = MakeTargetFunction(RotatorTarget{}, c.site, Figures::Standard);
    const auto rise = NextRise(RotatorTarget{}, moon, c.site, m.utc, 0.0);
    if (!rise) continue;
    c.rise = *rise;
    c.pass = SamplePass(moon, c.rise, 0.0);
    if (c.pass.size() < 2) continue;
    c.setup.azimuthRange = kRanges[random() % std::size(kRanges)];
    cases.push_back(std::move(c));
  }
  return cases;
}

void BM_PlanWrapOfAPass(benchmark::State& state) {
  const std::vector<PassCase> cases = PassCases();
  std::size_t i = 0;
  std::size_t samples = 0;
  for (auto _ : state) {
    const PassCase& c = cases[i];
    benchmark::DoNotOptimize(PlanWrap(c.pass, c.setup, std::nullopt));
    samples += c.pass.size();
    i = (i + 1) % cases.size();
  }
  state.counters["samples/pass"] =
      benchmark::Counter(static_cast<double>(samples) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_PlanWrapOfAPass)->Unit(benchmark::kMicrosecond);

// The same with the pass's moon positions worked out first (a minute apart,
// standard figures), as the tracker does when a pass begins.
void BM_SampleAndPlanAPass(benchmark::State& state) {
  const std::vector<PassCase> cases = PassCases();
  std::size_t i = 0;
  for (auto _ : state) {
    const PassCase& c = cases[i];
    const TargetFunction moon = MakeTargetFunction(RotatorTarget{}, c.site, Figures::Standard);
    const auto pass = SamplePass(moon, c.rise, 0.0);
    benchmark::DoNotOptimize(PlanWrap(pass, c.setup, std::nullopt));
    i = (i + 1) % cases.size();
  }
}
BENCHMARK(BM_SampleAndPlanAPass)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kelvora
