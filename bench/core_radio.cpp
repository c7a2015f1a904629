// Timing of the radio's correction step: the moon's range rates for the home
// and DX stations, then the controller's decision on what to send. Moments
// spread over 1980-2040 and stations over the globe, in shuffled order.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <optional>
#include <random>
#include <vector>

#include "control/doppler_control.h"

namespace kelvora {
namespace {

struct Case {
  RadioSite home;
  RadioSite dx;
  std::int64_t utc;
  double heardHz;
};

std::vector<Case> Cases() {
  std::mt19937_64 random(14);
  std::uniform_int_distribution<std::int64_t> moment(315532800, 2208988800);  // 1980-2040
  std::uniform_real_distribution<double> latitude(-70.0, 70.0);
  std::uniform_real_distribution<double> longitude(-180.0, 180.0);
  std::uniform_real_distribution<double> heard(-3000.0, 3000.0);
  std::vector<Case> cases(4096);
  for (Case& c : cases) {
    c.home = {latitude(random), longitude(random)};
    c.dx = {latitude(random), longitude(random)};
    c.utc = moment(random);
    c.heardHz = 10'368'000'000.0 + heard(random);
  }
  return cases;
}

// One period of the full correction to a DX station at 10368 MHz: both
// stations' range rates, then frequencies and commands.
void BM_RadioCorrectionStep(benchmark::State& state) {
  const std::vector<Case> cases = Cases();
  RadioControlSettings settings;
  settings.method = DopplerMethod::FullToDx;
  settings.dialHz = 10'368'000'000.0;
  settings.stepHz = 1;
  DopplerController control(settings);
  std::size_t i = 0;
  for (auto _ : state) {
    const Case& c = cases[i++ % cases.size()];
    const Result<MoonRangeRates> rates = MoonRangeRatesAt(c.home, c.dx, c.utc);
    RigReadback readback;
    readback.receiveHz = c.heardHz;
    const RadioStep step = control.Step(*rates, *rates, readback);
    benchmark::DoNotOptimize(step);
    control.Forget();  // every case starts from a rig in an unknown state
  }
}
BENCHMARK(BM_RadioCorrectionStep);

// The controller's decision alone, from given rates.
void BM_RadioDecision(benchmark::State& state) {
  const std::vector<Case> cases = Cases();
  std::vector<MoonRangeRates> rates;
  for (const Case& c : cases) rates.push_back(*MoonRangeRatesAt(c.home, c.dx, c.utc));
  RadioControlSettings settings;
  settings.method = DopplerMethod::OnTheMoon;
  settings.dialHz = 1'296'000'000.0;
  DopplerController control(settings);
  std::size_t i = 0;
  for (auto _ : state) {
    const MoonRangeRates& r = rates[i++ % rates.size()];
    RigReadback readback;
    readback.receiveHz = control.lastReceiveHz() ? static_cast<double>(*control.lastReceiveHz())
                                                 : std::optional<double>();
    const RadioStep step = control.Step(r, r, readback);
    if (step.receiveHz) control.ReceiveAccepted(*step.receiveHz);
    if (step.transmitHz) control.TransmitAccepted(*step.transmitHz);
    benchmark::DoNotOptimize(step);
  }
}
BENCHMARK(BM_RadioDecision);

}  // namespace
}  // namespace kelvora
