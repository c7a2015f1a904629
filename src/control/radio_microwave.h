// The microwave figures at a radio's dial frequency: what the radio panel
// shows beside the Doppler (echo and path delay, libration spread, and how
// fast the method's receive and transmit frequencies move). Pure, like the
// rest of the Doppler control.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "common/result.h"
#include "control/doppler_control.h"
#include "precise/libration.h"
#include "precise/precise.h"

namespace kelvora {

// The settings key (station-control settings) of the operator's UT1 - UTC,
// seconds, within +-precise::kMaxUt1MinusUtcS; absent means 0.
inline constexpr const char* kUt1MinusUtcSettingsKey = "precise/ut1MinusUtcSeconds";

// A UT1 - UTC given as text ("-0.123"): refused unless a plain number within
// +-precise::kMaxUt1MinusUtcS.
Result<double> ParseUt1MinusUtc(std::string_view text);

struct RadioMicrowave {
  double dialHz;
  precise::MicrowaveFigures figures;  // at the dial frequency
  // Rates of the frequencies the method sends, Hz/s (receive and transmit);
  // empty for the full correction without a DX station.
  std::optional<RadioFrequencies> methodRatesHzPerS;
};

// At UTC moment `utc`. `reuse` is the frame of the last call's moment
// (precise::PrepareMoment); `frameOut`, when given, receives this one's to
// hand back next time. Refused, with the reason, outside 1960-2099, for a
// site the accurate figures refuse, a dial outside IsRadioFrequency or a
// UT1 - UTC out of range.
Result<RadioMicrowave> RadioMicrowaveAt(const RadioSite& home, const std::optional<RadioSite>& dx,
                                        std::int64_t utc, double dialHz, DopplerMethod method,
                                        double ut1MinusUtcS = 0.0,
                                        const precise::CelestialFrame* reuse = nullptr,
                                        precise::CelestialFrame* frameOut = nullptr);

}  // namespace kelvora
