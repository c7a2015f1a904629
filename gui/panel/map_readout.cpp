#include "panel/map_readout.h"

#include "astro/map_projection.h"
#include "astro/moon.h"
#include "astro/time_helpers.h"
#include "stations/bearing.h"
#include "stations/locator.h"

namespace kelvora::gui {

namespace {

// The column of each text of the line.
constexpr std::array<int, 7> kColumns = {5, 32, 95, 165, 240, 345, 438};

}  // namespace

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
      {kColumns[0], QStringLiteral("Grid:")},
      {kColumns[1], QString::asprintf("%4s ", locator.c_str()) + QStringLiteral("  ")},
      {kColumns[2], QString::asprintf("Lat:%5.1f°  ", latitude)},
      {kColumns[3], QString::asprintf("Lon:%5.1f°  ", longitude)},
      {kColumns[4], elevationText},
      {kColumns[5], QString::asprintf("Direct AZ %4.0f° ", path.bearing)},
      {kColumns[6], distanceText},
  }};
}

std::vector<TextSlot> ReadoutSlots() {
  // Digits share one width; "W" and "M" are the widest letters a locator
  // can hold there.
  const QString widest[] = {
      QStringLiteral("Grid:"),
      QStringLiteral("MW88WW   "),
      QString::asprintf("Lat:%5.1f°  ", -90.0),
      QString::asprintf("Lon:%5.1f°  ", -180.0),
      QString::asprintf("Moon EL: %5.2f°  ", -90.0),
      QString::asprintf("Direct AZ %4.0f° ", 360.0),
      QString::asprintf("Dist: %5.0f km ", 20038.0),
  };
  std::vector<TextSlot> places;
  for (std::size_t i = 0; i < kColumns.size(); ++i) {
    const int next = i + 1 < kColumns.size() ? kColumns[i + 1] : kReadoutRight;
    places.push_back({widest[i], next - kColumns[i]});
  }
  return places;
}

}  // namespace kelvora::gui
