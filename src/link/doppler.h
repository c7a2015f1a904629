// Echo Doppler at home and Doppler of the two-station path, in hertz.
#pragma once

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
  bool moonUpStation2;
};

struct DopplerResult {
  std::string myDoppler;        // "%4.0f hz" or "no moon"
  std::string station2Doppler;  // "%4.0f hz" or "N/A"
};

DopplerResult ComputeDoppler(const DopplerInput& input);

// The home echo Doppler behind `myDoppler`, in Hz at the 2.0833 m wavelength
// (143.9 MHz) the constants are made for, whether or not the moon is up.
double HomeEchoDopplerHz(const DopplerInput& input);
// The standard theory's topocentric range rate of a station, m/s, positive
// while receding: the geocentric range rate less the earth-rotation term of
// the echo Doppler above, turned back into a speed. Angles as in
// DopplerInput; ComputeDoppler's echo figure is this speed times -2 / 2.083 m.
double StationRangeRate(double latitude, double westLongitude, double moonHourAngle,
                        double moonDeclination, double moonRangeRate);

}  // namespace kelvora
