// Timing of the sked planner: a 31-day plan for one pair of stations, and the
// next window of every station of the sample directory within 24 hours.
// Pairs and start moments are drawn in advance, spread over 1950-2090 and
// shuffled, so no cache or branch history carries from one run to the next.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <variant>
#include <vector>

#include "plan/plan_stations.h"
#include "plan/sked_plan.h"

namespace kelvora {
namespace {

constexpr std::int64_t k1950 = -631152000;  // 1950-01-01 00:00:00 UTC
constexpr std::int64_t k2090 = 3786912000;  // 2090-01-01 00:00:00 UTC
constexpr std::size_t kCases = 256;

std::vector<PlanRequest> PlanCases() {
  std::mt19937 random(31);
  std::uniform_real_distribution<double> latitude(-65.0, 65.0);
  std::uniform_real_distribution<double> longitude(-180.0, 180.0);
  std::uniform_int_distribution<std::int64_t> start(k1950, k2090);
  std::vector<PlanRequest> cases;
  for (std::size_t i = 0; i < kCases; ++i) {
    cases.push_back({{latitude(random), longitude(random), 10.0},
                     {latitude(random), longitude(random), 10.0},
                     start(random),
                     kPlanMaxDays * 86400,
                     kPlanDefaultFrequencyHz});
  }
  std::shuffle(cases.begin(), cases.end(), random);
  return cases;
}

void BM_PlanOnePair31Days(benchmark::State& state) {
  const std::vector<PlanRequest> cases = PlanCases();
  std::size_t i = 0;
  std::size_t windows = 0;
  for (auto _ : state) {
    const SkedPlan plan = PlanSkeds(cases[i++ % cases.size()]);
    windows += plan.windows.size();
    benchmark::DoNotOptimize(plan);
  }
  state.counters["windows"] =
      benchmark::Counter(static_cast<double>(windows), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_PlanOnePair31Days)->Unit(benchmark::kMillisecond);

void BM_WhoCanIWork24Hours(benchmark::State& state) {
  const auto loaded = LoadStationDirectory(KELVORA_RESOURCE_DIR "/EME.DTA");
  if (!loaded) {
    state.SkipWithError("cannot read the sample directory");
    return;
  }
  const std::vector<PlanStation>& stations = loaded->stations;
  const std::vector<PlanRequest> cases = PlanCases();  // homes and start moments
  std::size_t i = 0;
  for (auto _ : state) {
    const PlanRequest& c = cases[i++ % cases.size()];
    const WorkList list = WhoCanIWork({c.home, 10.0, c.startUtc, 24, c.frequencyHz}, stations);
    benchmark::DoNotOptimize(list);
  }
  state.counters["stations"] = static_cast<double>(stations.size());
}
BENCHMARK(BM_WhoCanIWork24Hours)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelvora
