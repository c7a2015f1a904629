#include "link/doppler.h"

#include <cstdio>

#include "link/placeholders.h"

namespace kelvora {

namespace {

// Hertz per metre per second of range rate for the one-way path: 1 / 2.083 m,
// the wavelength of the window's figures; an echo travels both ways.
constexpr double kOneWayHzPerMps = 0.9601536245799327 / 2.0;

std::string Hertz(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%4.0f hz", value);
  return buffer;
}

}  // namespace

double WindowEchoDopplerHz(double rangeRate) { return -2.0 * kOneWayHzPerMps * rangeRate; }

DopplerHz ComputeDoppler(const DopplerInput& input) {
  DopplerHz out;
  if (!input.moonUpHome) return out;
  // The path home - moon - station 2 is shortened by each end's rate.
  if (input.moonUpStation2) {
    out.twoStation = -kOneWayHzPerMps * (input.homeRangeRate + input.station2RangeRate);
  }
  out.echo = WindowEchoDopplerHz(input.homeRangeRate);
  return out;
}

std::string EchoDopplerText(const std::optional<double>& echoHz) {
  return echoHz ? Hertz(*echoHz) : kNoMoonText;
}

std::string TwoStationDopplerText(const std::optional<double>& twoStationHz) {
  return twoStationHz ? Hertz(*twoStationHz) : kNotApplicableText;
}

}  // namespace kelvora
