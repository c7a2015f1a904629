// Echo Doppler at home and Doppler of the two-station path, in hertz.
#pragma once

#include <optional>
#include <string>

namespace kelvora {

struct DopplerInput {
  double homeLatitude;       // degrees
  double homeLongitude;      // degrees, west positive
  double station2Latitude;   // degrees
  double station2Longitude;  // degrees, west positive
  double moonHourAngle;      // Greenwich, radians, [0, 2pi)
  double moonDeclination;    // degrees
  double moonRangeRate;      // m/s, positive while receding
  bool moonUpHome;
  // The moon is above the second station's horizon and the station counts
  // for the two-station figure (the caller's rule: Station2CountsForDoppler
  // in state/records.h).
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

}  // namespace kelvora
