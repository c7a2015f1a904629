// Timing of the per-tick link figures and the station helpers the dialogs
// call on every field change.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <vector>

#include "link/doppler.h"
#include "link/polarity.h"
#include "stations/bearing.h"
#include "stations/directory.h"
#include "stations/locator.h"

namespace kelvora {
namespace {

void BM_ComputeDoppler(benchmark::State& state) {
  DopplerInput in{-200.9, 150.3, true, true};
  for (auto _ : state) {
    benchmark::DoNotOptimize(ComputeDoppler(in));
    in.homeRangeRate += 1e-4;
  }
}
BENCHMARK(BM_ComputeDoppler);

// The same on varied range rates (a fixed shuffled table), so that the
// moon-up branches do not repeat.
void BM_ComputeDopplerVaried(benchmark::State& state) {
  std::vector<DopplerInput> inputs;
  std::mt19937_64 random(20261207);
  std::uniform_real_distribution<double> rate(-1000.0, 1000.0);
  for (int i = 0; i < 1024; ++i) {
    inputs.push_back({rate(random), rate(random), (i & 1) != 0, (i & 2) != 0});
  }
  std::size_t k = 0;
  for (auto _ : state) benchmark::DoNotOptimize(ComputeDoppler(inputs[k++ % inputs.size()]));
}
BENCHMARK(BM_ComputeDopplerVaried);

void BM_ComputePolarityOffset(benchmark::State& state) {
  double g = 0.5;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ComputePolarityOffset(g, -0.18, 29.42, 95.36, 51.5, 0.1));
    g += 1e-4;
  }
}
BENCHMARK(BM_ComputePolarityOffset);

void BM_BearingAndDistance(benchmark::State& state) {
  double lat = 51.5;
  for (auto _ : state) {
    benchmark::DoNotOptimize(BearingAndDistance(29.42, 95.36, lat, 0.1, 1));
    lat += 1e-6;
  }
}
BENCHMARK(BM_BearingAndDistance);

void BM_LocatorRoundTrip(benchmark::State& state) {
  for (auto _ : state) {
    const auto p = LocatorToPosition("fn42");
    benchmark::DoNotOptimize(
        PositionToLocator(RoundToHundredths(p->latitude), RoundToHundredths(p->longitude)));
  }
}
BENCHMARK(BM_LocatorRoundTrip);

// The sample directory's last good record: a search through the whole file.
void BM_ReadDirectoryDisplay(benchmark::State& state) {
  // resources/ beside bench/ in the source tree.
  const std::filesystem::path file =
      std::filesystem::path(__FILE__).parent_path().parent_path() / "resources" /
      kDirectoryFileName;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ReadDirectory(file, "QR5JK", DirectoryMode::Display));
  }
}
BENCHMARK(BM_ReadDirectoryDisplay);

}  // namespace
}  // namespace kelvora
