// Spatial polarity offset between the home station and the second station.
#pragma once

#include <optional>
#include <string>

namespace kelvora {

// The offset as shown: the difference of the two stations' polarity angles
// rounded to whole degrees and brought to at most 90, with its sense.
struct PolarityOffset {
  double homeAngle;      // degrees, [0, 180]
  double station2Angle;  // degrees, [0, 180]
  double degrees;        // whole degrees, [0, 90]
  bool clockwise;        // from home to the second station
};

// The offset for a moon at Greenwich hour angle `hourAngle` and declination
// `declination` (radians); stations in degrees, longitudes west positive.
// Whether there is a second station at all is the caller's rule
// (SecondStation::IsSet in state/records.h).
PolarityOffset ComputePolarityOffset(double hourAngle, double declination, double homeLatitude,
                                     double homeLongitude, double station2Latitude,
                                     double station2Longitude);

// The polarity angle of the moon seen from one station, degrees in [0, 180].
// hourAngle is the moon's Greenwich hour angle and declination its
// declination (radians); latitude and west longitude in degrees. Finite for
// every finite input, the zenith and the poles included.
double PolarityAngle(double hourAngle, double declination, double latitude, double longitude);

// The offset from the home angle p1 to the second station's angle p2 (degrees).
PolarityOffset PolarityOffsetBetween(double p1, double p2);

// "%2.0f° cw" or "%2.0f° ccw"; kNotApplicableText without an offset.
std::string PolarityOffsetText(const PolarityOffset& offset);
std::string PolarityOffsetText(const std::optional<PolarityOffset>& offset);

}  // namespace kelvora
