// Great-circle bearing and distance by Napier's analogies.
#pragma once

#include <string>

namespace kelvora {

struct BearingDistance {
  double bearing;           // degrees from north through east, [0, 360)
  double distance;          // miles when distanceUnit is 1, else km
  double miles;
  std::string bearingText;  // "%2.0f°"
  std::string kmText;       // "%7.1f"
  std::string mileText;     // "%7.1f"
};

// From point 1 to point 2; all degrees, longitudes west positive.
BearingDistance BearingAndDistance(double lat1, double lon1, double lat2, double lon2,
                                   int distanceUnit);

}  // namespace kelvora
