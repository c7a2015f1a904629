#include "link/doppler.h"

#include <cmath>
#include <cstdio>

#include "link/placeholders.h"

namespace kelvora {

namespace {

// Degrees to radians with pi taken as 3.14159, and its inverse for the hour angle.
constexpr double kDopplerDegToRad = 0.017453277777777776;
constexpr double kDopplerRadToDeg = 57.29582790879778;
// Earth-rotation Doppler of the echo: the peak shift in hertz is
// kRotationNumerator / kRotationDivisor at the equator with the moon on the
// horizon; kRotationCorrection shapes it with the hour angle.
constexpr double kRotationNumerator = 926.0;
constexpr double kRotationDivisor = 2.0833;
constexpr double kRotationCorrection = 0.034;
// Hertz per metre per second of range rate (2 / 2.083 m wavelength).
constexpr double kRangeRateHz = 0.9601536245799327;

// Rotation Doppler of a station at latitude `latitude` (degrees) whose
// rotation angle is `angle` (radians), for a moon at `declination` degrees.
double RotationDoppler(double angle, double latitude, double declination) {
  return kRotationNumerator * std::sin(angle) * std::cos(latitude * kDopplerDegToRad) *
         std::cos(declination * kDopplerDegToRad) /
         (kRotationDivisor * (1.0 + kRotationCorrection * std::cos(angle)));
}

// Angle between a west longitude and the moon's Greenwich hour angle, brought
// up by one turn when it is negative (once only, so an east longitude with a
// large hour angle can stay negative).
double RotationAngle(double westLongitude, double moonHourAngle) {
  double x = westLongitude - moonHourAngle * kDopplerRadToDeg;
  if (x < 0.0) {
    x += 360.0;
  }
  return x * kDopplerDegToRad;
}

std::string Hertz(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%4.0f hz", value);
  return buffer;
}

}  // namespace

double HomeEchoDopplerHz(const DopplerInput& input) {
  const double t = RotationAngle(input.homeLongitude, input.moonHourAngle);
  return RotationDoppler(t, input.homeLatitude, input.moonDeclination) -
         kRangeRateHz * input.moonRangeRate;
}

DopplerHz ComputeDoppler(const DopplerInput& input) {
  DopplerHz out;
  if (!input.moonUpHome) return out;
  const double t = RotationAngle(input.homeLongitude, input.moonHourAngle);
  const double d1 = RotationDoppler(t, input.homeLatitude, input.moonDeclination);

  // The second station's echo path: its own rotation angle, from its own
  // longitude. (Mixing in the home angle and the longitude difference gives
  // the wrong sign or size of the shift for most pairs of stations.)
  const double r = RotationAngle(input.station2Longitude, input.moonHourAngle);
  const double d2 = RotationDoppler(r, input.station2Latitude, input.moonDeclination);

  if (input.moonUpStation2) out.twoStation = 0.5 * (d1 + d2) - kRangeRateHz * input.moonRangeRate;
  // The same expression as HomeEchoDopplerHz, from the d1 already at hand.
  out.echo = d1 - kRangeRateHz * input.moonRangeRate;
  return out;
}

std::string EchoDopplerText(const std::optional<double>& echoHz) {
  return echoHz ? Hertz(*echoHz) : kNoMoonText;
}

std::string TwoStationDopplerText(const std::optional<double>& twoStationHz) {
  return twoStationHz ? Hertz(*twoStationHz) : kNotApplicableText;
}

double StationRangeRate(double latitude, double westLongitude, double moonHourAngle,
                        double moonDeclination, double moonRangeRate) {
  const double angle = RotationAngle(westLongitude, moonHourAngle);
  return moonRangeRate - RotationDoppler(angle, latitude, moonDeclination) / kRangeRateHz;
}

}  // namespace kelvora
