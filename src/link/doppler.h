// Echo Doppler at home and Doppler of the two-station path, in hertz.
#pragma once

#include <optional>
#include <string>

namespace kelvora {

struct DopplerInput {
  // Rates of change of each station's distance to the moon's centre, m/s,
  // positive while receding (StandardRangeRateMps in link/range_rate.h for
  // the standard figures). The second station's rate counts only when
  // moonUpStation2 is set.
  double homeRangeRate;
  double station2RangeRate;
  bool moonUpHome;
  // The moon is above the second station's horizon and the station counts
  // for the two-station figure (the caller's rule:
  // SecondStation::CountsForTwoStationDoppler in state/records.h).
  bool moonUpStation2;
};

struct DopplerHz {
  std::optional<double> echo;        // home echo; empty while the moon is below home's horizon
  std::optional<double> twoStation;  // the path home - moon - station 2; empty unless the
                                     // moon is up at both ends
};

DopplerHz ComputeDoppler(const DopplerInput& input);

// The texts of the two figures: "%4.0f hz", or kNoMoonText for the echo and
// kNotApplicableText for the two-station path.
std::string EchoDopplerText(const std::optional<double>& echoHz);
std::string TwoStationDopplerText(const std::optional<double>& twoStationHz);

// The echo Doppler in Hz at the 2.083 m wavelength (143.9 MHz) the window's
// figures are made for, of a station whose range rate is `rangeRate` (m/s,
// positive receding), whether or not the moon is up.
double WindowEchoDopplerHz(double rangeRate);

}  // namespace kelvora
