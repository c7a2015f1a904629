// The figures of the read-out line under the earth map: what lies under the
// pointer, the moon's elevation there and the great-circle path from home.
// The window formats them; the moon's hour angle found on the way is handed
// to the tracking record as a step of its own.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "state/records.h"

namespace kelvora {

struct MapReadout {
  double latitude = 0.0;   // degrees, of the point under the pointer
  double longitude = 0.0;  // degrees, west positive
  std::string locator;     // six characters
  // The moon there at the tracked moment; empty outside 1901-2099.
  std::optional<double> moonElevation;  // degrees
  std::optional<double> moonHourAngle;  // Greenwich, radians
  double bearing = 0.0;   // degrees from home, [0, 360)
  double distance = 0.0;  // from home, in the home station's distance unit
  int distanceUnit = 1;   // 1 miles, 0 kilometres
};

// The read-out for the earth-map window pixel (x, y), with the moon for
// `clock` and the model's time base. Reads the model only.
MapReadout ComputeMapReadout(const TrackerModel& model, int x, int y, std::int64_t clock);

// The moon's hour angle of a read-out becomes the tracking record's, as the
// tick's moon does (the next tick puts its own back).
void KeepReadoutMoon(TrackingState& tracking, const MapReadout& readout);

}  // namespace kelvora
