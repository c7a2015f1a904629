#include "tick/map_readout.h"

#include "astro/moon.h"
#include "astro/time_helpers.h"
#include "stations/bearing.h"
#include "stations/locator.h"

namespace kelvora {

MapReadout ComputeMapReadout(const TrackerModel& model, int x, int y, std::int64_t clock) {
  MapReadout readout;
  readout.latitude = MapLatitudeForY(y);
  readout.longitude = MapLongitudeForX(x);

  const TimeBase base{model.home.gmtOffsetHours, model.tracking.timeOffset};
  if (const Result<MoonFix> moon =
          MoonPosition(readout.latitude, readout.longitude, clock, base)) {
    readout.moonElevation = moon->elevation;
    readout.moonHourAngle = moon->hourAngle;
  }

  readout.locator = PositionToLocator(readout.latitude, readout.longitude);
  const BearingDistance path =
      BearingAndDistance(model.home.latitude, model.home.longitude, readout.latitude,
                         readout.longitude, model.home.distanceUnit);
  readout.bearing = path.bearing;
  readout.distance = path.distance;
  readout.distanceUnit = model.home.distanceUnit;
  return readout;
}

void KeepReadoutMoon(TrackingState& tracking, const MapReadout& readout) {
  if (readout.moonHourAngle) tracking.moonHourAngle = *readout.moonHourAngle;
}

}  // namespace kelvora
