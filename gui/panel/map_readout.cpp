#include "panel/map_readout.h"

#include "astro/map_projection.h"
#include "astro/moon.h"
#include "astro/time_helpers.h"
#include "stations/bearing.h"
#include "stations/locator.h"

namespace kelvora::gui {

MapReadoutLine ComputeMapReadout(TrackerModel& model, int x, int y, std::int64_t clock) {
  const double latitude = MapLatitudeForY(y);
  const double longitude = MapLongitudeForX(x);

  const TimeBase base{model.home.gmtOffsetHours, model.tracking.timeOffset};
  const std::optional<MoonFix> moon = MoonPosition(latitude, longitude, clock, base);
  QString elevationText;
  if (moon) {
    model.tracking.moonHourAngle = moon->hourAngle;
    elevationText = QString::asprintf("Moon EL: %5.2f°  ", moon->elevation);
  } else {
    // Outside the years the moon routine covers; the time steps keep the
    // offset away from there, so this only guards a broken clock.
    elevationText = QStringLiteral("Moon EL:   ---   ");
  }

  const std::string locator = PositionToLocator(latitude, longitude);
  const BearingDistance path = BearingAndDistance(model.home.latitude, model.home.longitude,
                                                  latitude, longitude, model.home.distanceUnit);
  const QString distanceText = model.home.distanceUnit == 1
                                    ? QString::asprintf("Dist: %5.0f mi ", path.distance)
                                    : QString::asprintf("Dist: %5.0f km ", path.distance);

  return {{
      {5, QStringLiteral("Grid:")},
      {32, QString::asprintf("%4s ", locator.c_str()) + QStringLiteral("  ")},
      {95, QString::asprintf("Lat:%5.1f°  ", latitude)},
      {165, QString::asprintf("Lon:%5.1f°  ", longitude)},
      {240, elevationText},
      {345, QString::asprintf("Direct AZ %4.0f° ", path.bearing)},
      {438, distanceText},
  }};
}

}  // namespace kelvora::gui
