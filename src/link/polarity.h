// Spatial polarity offset between the home station and the second station.
#pragma once

#include <string>

namespace kelvora {

// "N/A" when the second station is (0, 0); otherwise "%2.0f° cw" or
// "%2.0f° ccw". hourAngle and declination are the moon's, in radians.
std::string ComputePolarityOffset(double hourAngle, double declination, double homeLatitude,
                                  double homeLongitude, double station2Latitude,
                                  double station2Longitude);

// The polarity angle of the moon seen from one station, degrees in [0, 180].
// hourAngle is the moon's Greenwich hour angle and declination its
// declination (radians); latitude and west longitude in degrees. Finite for
// every finite input, the zenith and the poles included.
double PolarityAngle(double hourAngle, double declination, double latitude, double longitude);

// The offset text for the home angle p1 and the second station's angle p2
// (degrees): the difference rounded to whole degrees and brought to at most
// 90, with its sense.
std::string PolarityOffsetText(double p1, double p2);

}  // namespace kelvora
