#include "panel/map_readout.h"

#include "link/placeholders.h"

namespace kelvora::gui {

MapReadoutLine ReadoutLine(const MapReadout& readout) {
  // Outside the years the moon routine covers the elevation is missing; the
  // time steps keep the offset away from there, so this only guards a broken
  // clock.
  const QString elevationText =
      readout.moonElevation
          ? QString::asprintf("Moon EL: %5.2f°  ", *readout.moonElevation)
          : QStringLiteral("Moon EL:   ") + QString::fromLatin1(kNoFigureText) +
                QStringLiteral("   ");
  const QString distanceText = readout.distanceUnit == 1
                                   ? QString::asprintf("Dist: %5.0f mi ", readout.distance)
                                   : QString::asprintf("Dist: %5.0f km ", readout.distance);
  return {{
      {5, QStringLiteral("Grid:")},
      {32, QString::asprintf("%4s ", readout.locator.c_str()) + QStringLiteral("  ")},
      {95, QString::asprintf("Lat:%5.1f°  ", readout.latitude)},
      {165, QString::asprintf("Lon:%5.1f°  ", readout.longitude)},
      {240, elevationText},
      {345, QString::asprintf("Direct AZ %4.0f° ", readout.bearing)},
      {438, distanceText},
  }};
}

}  // namespace kelvora::gui
