// Spatial polarity offset between the home station and the second station.
#pragma once

#include <string>

namespace kelvora {

// "N/A" when the second station is (0, 0); otherwise "%2.0f° cw" or
// "%2.0f° ccw". hourAngle and declination are the moon's, in radians.
std::string ComputePolarityOffset(double hourAngle, double declination, double homeLatitude,
                                  double homeLongitude, double station2Latitude,
                                  double station2Longitude);

}  // namespace kelvora
