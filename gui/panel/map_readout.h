// The read-out line under the earth map: what lies under the pointer, the
// moon's elevation there and the great-circle path from the home station.
#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

#include "state/records.h"
#include "ui/drawing_resources.h"

namespace kelvora::gui {

// The pointer is on the earth map (exclusive limits).
inline bool OnEarthMapForReadout(int x, int y) { return x > 0 && x < 428 && y > 169 && y < 476; }

// A right press here removes the second station (inclusive limits).
inline bool OnEarthMapForRemoval(int x, int y) {
  return x >= 1 && x <= 430 && y >= 171 && y <= 473;
}

inline constexpr int kReadoutRow = 477;
// The read-out ends at the window's right edge.
inline constexpr int kReadoutRight = 510;

struct ReadoutText {
  int x;
  QString text;
};

// The seven texts of the line, left to right, each with its column.
using MapReadoutLine = std::array<ReadoutText, 7>;

// Computes the line for the pointer at window pixel (x, y) on the earth map,
// with the moon for `clock` and the model's time base. Writes the moon's hour
// angle there into tracking.moonHourAngle, as the tick does.
MapReadoutLine ComputeMapReadout(TrackerModel& model, int x, int y, std::int64_t clock);

// Each text of the line at its widest (south pole, 180 east, a set moon, the
// far side of the earth in kilometres) with the room up to the next column.
std::vector<TextSlot> ReadoutSlots();

}  // namespace kelvora::gui
