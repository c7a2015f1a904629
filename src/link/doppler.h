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

// The home echo Doppler of ComputeDoppler's `echo`, in Hz at the 2.0833 m wavelength
// (143.9 MHz) the constants are made for, whether or not the moon is up.
double HomeEchoDopplerHz(const DopplerInput& input);
// The standard theory's topocentric range rate of a station, m/s, positive
// while receding: the geocentric range rate less the earth-rotation term of
// the echo Doppler above, turned back into a speed. Angles as in
// DopplerInput; ComputeDoppler's echo figure is this speed times -2 / 2.083 m.
double StationRangeRate(double latitude, double westLongitude, double moonHourAngle,
                        double moonDeclination, double moonRangeRate);

}  // namespace kelvora
