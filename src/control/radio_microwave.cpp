#include "control/radio_microwave.h"

#include <charconv>
#include <cmath>
#include <string>

namespace kelvora {

Result<double> ParseUt1MinusUtc(std::string_view text) {
  double value = 0.0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc{} || end != text.data() + text.size()) {
    return Fail("UT1-UTC '" + std::string(text) + "' is not a number of seconds");
  }
  if (!precise::IsValidUt1MinusUtc(value)) {
    return Fail("UT1-UTC '" + std::string(text) + "' is outside -1..1 s");
  }
  return value;
}

Result<RadioMicrowave> RadioMicrowaveAt(const RadioSite& home, const std::optional<RadioSite>& dx,
                                        std::int64_t utc, double dialHz, DopplerMethod method,
                                        double ut1MinusUtcS, const precise::CelestialFrame* reuse,
                                        precise::CelestialFrame* frameOut) {
  if (!IsRadioFrequency(dialHz)) return NotRadioFrequency(dialHz);
  const auto moment = precise::PrepareMoment(utc, reuse, ut1MinusUtcS);
  if (!moment) return moment.failure();
  if (frameOut != nullptr) *frameOut = moment->frame;
  std::optional<precise::Site> dxSite;
  if (dx) dxSite = precise::Site{dx->latitude, dx->longitude, dx->height};
  const auto figures = precise::MicrowaveAt(
      *moment, precise::Site{home.latitude, home.longitude, home.height}, dxSite, dialHz);
  if (!figures) return figures.failure();
  RadioMicrowave out{dialHz, *figures, std::nullopt};
  // The method's frequencies are linear in the one-way shifts: their rates
  // are the method applied to the shifts' rates about a dial of zero.
  const double homeRate = OneWayDopplerHz(figures->home.rangeAccelerationMps2, dialHz);
  std::optional<double> dxRate;
  if (figures->dx) dxRate = OneWayDopplerHz(figures->dx->rangeAccelerationMps2, dialHz);
  out.methodRatesHzPerS = MethodFrequencies(method, 0.0, homeRate, dxRate);
  return out;
}

}  // namespace kelvora
