#include "panel/map_readout.h"

#include "link/placeholders.h"

namespace kelvora::gui {

namespace {

// The column of each text of the line.
constexpr std::array<int, 7> kColumns = {5, 32, 95, 165, 240, 345, 438};

}  // namespace

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
      {kColumns[0], QStringLiteral("Grid:")},
      {kColumns[1], QString::asprintf("%4s ", readout.locator.c_str()) + QStringLiteral("  ")},
      {kColumns[2], QString::asprintf("Lat:%5.1f°  ", readout.latitude)},
      {kColumns[3], QString::asprintf("Lon:%5.1f°  ", readout.longitude)},
      {kColumns[4], elevationText},
      {kColumns[5], QString::asprintf("Direct AZ %4.0f° ", readout.bearing)},
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
