// Timing of the rotator's control step and of planning a pass's cable wrap.
// Inputs are moments spread over decades and several sites, shuffled, so no
// cache or branch predictor sees the same case twice in a row.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "control/rotator_rules.h"
#include "control/rotator_target.h"
#include "control/wrap_planner.h"

namespace kelvora {
namespace {

constexpr std::int64_t k1950 = -631152000;
constexpr std::int64_t kSpan = 140LL * 365 * 86400;  // 1950 to 2090

constexpr ControlSite kSites[] = {
    {29.42, 95.36}, {-35.3, -149.1}, {69.65, -18.96}, {51.5, 0.1}, {-22.9, 43.2}, {0.5, -120.0}};
constexpr AzimuthRange kRanges[] = {AzimuthRange::From0To360, AzimuthRange::FromMinus180To180,
                                    AzimuthRange::From0To450};

struct Case {
  RotatorSetup setup;
  ControlInput input;
};

std::vector<Case> ControlCases() {
  std::mt19937_64 random(13);
  std::uniform_int_distribution<std::int64_t> moment(k1950, k1950 + kSpan);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<Case> cases;
  while (cases.size() < 4096) {
    const ControlSite site = kSites[random() % std::size(kSites)];
    const TargetFunction moon = MakeTargetFunction(RotatorTarget{}, site);
    const std::int64_t t = moment(random);
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
  std::uniform_int_distribution<std::int64_t> moment(k1950, k1950 + kSpan);
  std::vector<PassCase> cases;
  while (cases.size() < 96) {
    PassCase c;
    c.site = kSites[random() % std::size(kSites)];
    const TargetFunction moon = MakeTargetFunction(RotatorTarget{}, c.site);
    std::int64_t t = moment(random);
    const auto rise = NextRise(RotatorTarget{}, moon, c.site, t, 0.0);
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

// The same with the pass's moon positions worked out first (a minute apart),
// as the tracker does when a pass begins.
void BM_SampleAndPlanAPass(benchmark::State& state) {
  const std::vector<PassCase> cases = PassCases();
  std::size_t i = 0;
  for (auto _ : state) {
    const PassCase& c = cases[i];
    const TargetFunction moon = MakeTargetFunction(RotatorTarget{}, c.site);
    const auto pass = SamplePass(moon, c.rise, 0.0);
    benchmark::DoNotOptimize(PlanWrap(pass, c.setup, std::nullopt));
    i = (i + 1) % cases.size();
  }
}
BENCHMARK(BM_SampleAndPlanAPass)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kelvora
