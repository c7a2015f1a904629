#include "control/doppler_control.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "astro/moon.h"
#include "link/range_rate.h"
#include "precise/precise.h"

namespace kelvora {

namespace {

// The spread shown beside the figures is their change over this time, s.
constexpr std::int64_t kSpreadSeconds = 60;

// Rigs are tuned in whole hertz.
std::int64_t WholeHertz(double hz) { return std::llround(hz); }

bool MovedByStep(std::int64_t wanted, const std::optional<std::int64_t>& last, int stepHz) {
  return !last || std::llabs(wanted - *last) >= stepHz;
}

Failure OutsideStandardYears(std::int64_t utc) {
  return Fail("the moment (UTC seconds " + std::to_string(utc) +
              ") is outside 1901-2099, where the standard figures work");
}

// A refusal of one of the two sites, saying which.
Failure StationRefused(const char* station, const Failure& failure) {
  return Fail(std::string(station) + " station: " + failure.reason, failure.kind);
}

}  // namespace

Failure NotRadioFrequency(double hz) {
  char text[48];
  std::snprintf(text, sizeof text, "%.10g", hz);
  return Fail("the dial frequency " + std::string(text) + " Hz is not between 0 and 300 GHz");
}

bool IsRigStep(int hz) {
  return std::find(kRigStepsHz.begin(), kRigStepsHz.end(), hz) != kRigStepsHz.end();
}

bool IsRadioFrequency(double hz) { return hz > 0.0 && hz < kHighestRadioHz; }

Result<DopplerMethod> ParseDopplerMethod(std::string_view name) {
  if (name == "off") return DopplerMethod::Off;
  if (name == "echo") return DopplerMethod::OwnEcho;
  if (name == "moon") return DopplerMethod::OnTheMoon;
  if (name == "dx") return DopplerMethod::FullToDx;
  return Fail("'" + std::string(name) + "' is not off, echo, moon or dx");
}

const char* DopplerMethodName(DopplerMethod method) {
  switch (method) {
    case DopplerMethod::Off:
      return "off";
    case DopplerMethod::OwnEcho:
      return "echo";
    case DopplerMethod::OnTheMoon:
      return "moon";
    case DopplerMethod::FullToDx:
      return "dx";
  }
  return "off";
}

Result<MoonRangeRates> StandardMoonRangeRates(const RadioSite& home,
                                              const std::optional<RadioSite>& dx,
                                              std::int64_t utc) {
  // The range rate checks the site and the moment, with the reason.
  const Result<double> homeRate =
      StandardRangeRateMps(home.latitude, home.longitude, home.height, utc);
  if (!homeRate) return homeRate.failure();
  const TimeBase base{};
  const auto moon = MoonPosition(home.latitude, home.longitude, utc, base);
  if (!moon) return OutsideStandardYears(utc);
  MoonRangeRates rates{};
  rates.homeMps = *homeRate;
  rates.homeElevation = moon->elevation;
  if (dx) {
    if (const auto rate = StandardRangeRateMps(dx->latitude, dx->longitude, dx->height, utc)) {
      rates.dxMps = *rate;
    }
    const auto there = MoonPosition(dx->latitude, dx->longitude, utc, base);
    if (there) rates.dxElevation = there->elevation;
  }
  return rates;
}

Result<MoonRangeRates> AccurateMoonRangeRates(const RadioSite& home,
                                              const std::optional<RadioSite>& dx,
                                              std::int64_t utc, double ut1MinusUtcS) {
  const Result<precise::Moment> moment = precise::PrepareMoment(utc, nullptr, ut1MinusUtcS);
  if (!moment) return moment.failure();
  const auto fix = [&moment](const RadioSite& site) {
    return precise::PreciseMoon(*moment, precise::Site{site.latitude, site.longitude, site.height});
  };
  const Result<precise::MoonFix> here = fix(home);
  if (!here) return StationRefused("home", here.failure());
  MoonRangeRates rates{};
  rates.accurate = true;
  rates.homeMps = here->rangeRateMps;
  rates.homeElevation = here->elevationDeg;
  if (dx) {
    const Result<precise::MoonFix> there = fix(*dx);
    if (!there) return StationRefused("DX", there.failure());
    rates.dxMps = there->rangeRateMps;
    rates.dxElevation = there->elevationDeg;
  }
  return rates;
}

Result<MoonRangeRates> MoonRangeRatesAt(const RadioSite& home,
                                        const std::optional<RadioSite>& dx, std::int64_t utc,
                                        double ut1MinusUtcS) {
  if (FigureSourceAt(utc) == FigureSource::Accurate) {
    return AccurateMoonRangeRates(home, dx, utc, ut1MinusUtcS);
  }
  return StandardMoonRangeRates(home, dx, utc);
}

double OneWayDopplerHz(double rangeRateMps, double frequencyHz) {
  return 0.5 * precise::EchoDopplerHz(rangeRateMps, frequencyHz);
}

Result<DopplerFigures> DopplerFiguresAt(const RadioSite& home, const std::optional<RadioSite>& dx,
                                        std::int64_t utc, double dialHz, double ut1MinusUtcS) {
  if (!IsRadioFrequency(dialHz)) return NotRadioFrequency(dialHz);
  // One source for the moment and its spread, so that the figures never mix
  // the two near 1960; at the very end of the years covered the spread is
  // the change over the minute before.
  const bool accurate = FigureSourceAt(utc) == FigureSource::Accurate;
  const auto ratesAt = [&](std::int64_t t) {
    return accurate ? AccurateMoonRangeRates(home, dx, t, ut1MinusUtcS)
                    : StandardMoonRangeRates(home, dx, t);
  };
  const Result<MoonRangeRates> now = ratesAt(utc);
  if (!now) return now.failure();
  Result<MoonRangeRates> later = ratesAt(utc + kSpreadSeconds);
  double spreadSign = 1.0;
  if (!later) {
    later = ratesAt(utc - kSpreadSeconds);
    spreadSign = -1.0;
  }
  if (!later) return later.failure();
  DopplerFigures out{};
  out.dialHz = dialHz;
  out.rates = *now;
  out.homeHz = OneWayDopplerHz(now->homeMps, dialHz);
  out.echoHz = 2.0 * out.homeHz;
  out.echoPerMinuteHz = spreadSign * (2.0 * OneWayDopplerHz(later->homeMps, dialHz) - out.echoHz);
  if (now->dxMps && later->dxMps) {
    out.dxHz = OneWayDopplerHz(*now->dxMps, dialHz);
    out.twoStationHz = out.homeHz + *out.dxHz;
    out.twoStationPerMinuteHz =
        spreadSign * (OneWayDopplerHz(later->homeMps + *later->dxMps, dialHz) - *out.twoStationHz);
  }
  return out;
}

std::optional<RadioFrequencies> MethodFrequencies(DopplerMethod method, double dialHz,
                                                  double homeHz, std::optional<double> dxHz) {
  switch (method) {
    case DopplerMethod::Off:
      return RadioFrequencies{dialHz, dialHz};
    case DopplerMethod::OwnEcho:
      return RadioFrequencies{dialHz + 2.0 * homeHz, dialHz};
    case DopplerMethod::OnTheMoon:
      return RadioFrequencies{dialHz + homeHz, dialHz - homeHz};
    case DopplerMethod::FullToDx:
      if (!dxHz) return std::nullopt;
      return RadioFrequencies{dialHz + (homeHz + *dxHz), dialHz - (homeHz + *dxHz)};
  }
  return std::nullopt;
}

const char* RadioStateText(RadioState state) {
  switch (state) {
    case RadioState::Off:
      return "off";
    case RadioState::Tracking:
      return "tracking";
    case RadioState::Held:
      return "held";
    case RadioState::Transmitting:
      return "transmitting";
    case RadioState::NoDx:
      return "no DX station";
    case RadioState::OutOfRange:
      return "frequency out of range";
    case RadioState::NotConnected:
      return "not connected";
  }
  return "off";
}

DopplerController::DopplerController(const RadioControlSettings& settings)
    : settings_(settings) {
  if (!IsRadioFrequency(settings_.dialHz)) settings_.dialHz = RadioControlSettings{}.dialHz;
  if (!IsRigStep(settings_.stepHz)) settings_.stepHz = RadioControlSettings{}.stepHz;
  if (!std::isfinite(settings_.transmitOffsetHz)) settings_.transmitOffsetHz = 0.0;
  if (settings_.transmissionSeconds < 0) settings_.transmissionSeconds = 0;
}

bool DopplerController::SetDial(double hz) {
  if (!IsRadioFrequency(hz)) return false;
  settings_.dialHz = hz;
  return true;
}

bool DopplerController::SetStep(int hz) {
  if (!IsRigStep(hz)) return false;
  settings_.stepHz = hz;
  return true;
}

bool DopplerController::SetTransmitOffset(double hz) {
  if (!std::isfinite(hz) || std::fabs(hz) >= kHighestRadioHz) return false;
  settings_.transmitOffsetHz = hz;
  return true;
}

void DopplerController::SetMethod(DopplerMethod method) { settings_.method = method; }

bool DopplerController::SetTransmissionSeconds(int seconds) {
  if (seconds < 0 || seconds > 3600) return false;
  settings_.transmissionSeconds = seconds;
  return true;
}

void DopplerController::Hold() { held_ = true; }

void DopplerController::Release() {
  if (held_) reanchor_ = true;
  held_ = false;
}

int DopplerController::RoundingStep(std::int64_t sent, std::int64_t held) {
  // The finest raster that explains it; a coarser one shows itself in a
  // later read-back, and the learned step only ever grows.
  for (const int raster : kRigStepsHz) {
    if (raster > 1 && held % raster == 0 && std::llabs(held - sent) < raster) return raster;
  }
  return 0;
}

void DopplerController::Forget() {
  previousHeard_.reset();
  splitOn_ = false;
  lastReceive_.reset();
  lastTransmit_.reset();
}

RadioStep DopplerController::Step(const MoonRangeRates& now, const MoonRangeRates& forTransmit,
                                  const RigReadback& readback) {
  RadioStep step;
  const double dial = settings_.dialHz;
  const auto shifts = [dial, this](const MoonRangeRates& rates) {
    const std::optional<double> dx =
        rates.dxMps ? std::optional<double>(OneWayDopplerHz(*rates.dxMps, dial)) : std::nullopt;
    return MethodFrequencies(settings_.method, dial, OneWayDopplerHz(rates.homeMps, dial), dx);
  };
  const std::optional<RadioFrequencies> receive = shifts(now);
  const std::optional<RadioFrequencies> transmit = shifts(forTransmit);
  if (settings_.method == DopplerMethod::Off) {
    step.state = RadioState::Off;
    step.wanted = receive;
    return step;
  }
  if (!receive || !transmit) {
    step.state = RadioState::NoDx;
    return step;
  }
  // The shifts hold for any dial nearby: the operator's few hundred hertz
  // change them by far less than a hertz.
  const double receiveShift = receive->receiveHz - dial;
  const double transmitShift = transmit->transmitHz - dial + settings_.transmitOffsetHz;

  const bool listening = readback.ptt != Ptt::Transmitting;
  if (held_) {
    step.state = RadioState::Held;
    step.wanted = RadioFrequencies{receive->receiveHz, dial + transmitShift};
    return step;
  }
  if (listening && readback.receiveHz && std::isfinite(*readback.receiveHz)) {
    const double heard = *readback.receiveHz;
    if (reanchor_) {
      // Back from a hold: what the rig holds now is the operator's choice.
      const double newDial = heard - receiveShift;
      if (IsRadioFrequency(newDial)) {
        step.operatorTunedHz = newDial - dial;
        settings_.dialHz = newDial;
        lastReceive_ = WholeHertz(heard);
      }
      reanchor_ = false;
    } else if (lastReceive_ &&
               std::fabs(heard - static_cast<double>(*lastReceive_)) > EffectiveStep()) {
      const std::int64_t sent = *lastReceive_;
      const std::int64_t held = WholeHertz(heard);
      if (const int rounding = RoundingStep(sent, held)) {
        // The rig keeps its own raster: what it holds is the frequency sent,
        // rounded. Learn the raster instead of taking it for the hand.
        learnedStepHz_ = std::max(learnedStepHz_, rounding);
        lastReceive_ = held;
      } else if (previousHeard_ && std::fabs(heard - *previousHeard_) <= EffectiveStep()) {
        // The rig said yes but stayed where it was: not the operator.
        step.rigDidNotFollow = true;
        lastReceive_ = held;
      } else {
        // The operator tuned: the dial follows the hand and correction goes
        // on from there.
        const double moved = heard - static_cast<double>(sent);
        if (IsRadioFrequency(dial + moved)) {
          step.operatorTunedHz = moved;
          settings_.dialHz = dial + moved;
          lastReceive_ = held;
        }
      }
    }
    previousHeard_ = heard;
  }
  const double wantedReceive = settings_.dialHz + receiveShift;
  const double wantedTransmit = settings_.dialHz + transmitShift;
  step.wanted = RadioFrequencies{wantedReceive, wantedTransmit};
  if (!IsRadioFrequency(wantedReceive) || !IsRadioFrequency(wantedTransmit)) {
    step.state = RadioState::OutOfRange;
    return step;
  }
  if (!listening && !settings_.changesWhileTransmitting) {
    step.state = RadioState::Transmitting;
    return step;
  }
  step.state = RadioState::Tracking;
  step.enableSplit = !splitOn_;
  const std::int64_t rx = WholeHertz(wantedReceive);
  const std::int64_t tx = WholeHertz(wantedTransmit);
  // While the rig transmits only its transmit frequency is moved; the
  // receive side follows when it listens again.
  if (listening && MovedByStep(rx, lastReceive_, EffectiveStep())) step.receiveHz = rx;
  if (MovedByStep(tx, lastTransmit_, EffectiveStep())) step.transmitHz = tx;
  return step;
}

int TransmitLeadSeconds(const RadioControlSettings& settings) {
  return settings.changesWhileTransmitting ? 0 : settings.transmissionSeconds / 2;
}


}  // namespace kelvora
