// The read-out line under the earth map, as the window shows it: the zones of
// the map that answer the pointer, and the texts of the line formed from the
// core's figures (tick/map_readout.h).
#pragma once

#include <QString>

#include <array>

#include "tick/map_readout.h"

namespace kelvora::gui {

// The pointer is on the earth map (exclusive limits).
inline bool OnEarthMapForReadout(int x, int y) { return x > 0 && x < 428 && y > 169 && y < 476; }

// A right press here removes the second station (inclusive limits).
inline bool OnEarthMapForRemoval(int x, int y) {
  return x >= 1 && x <= 430 && y >= 171 && y <= 473;
}

inline constexpr int kReadoutRow = 477;

struct ReadoutText {
  int x;
  QString text;
};

// The seven texts of the line, left to right, each with its column.
using MapReadoutLine = std::array<ReadoutText, 7>;

MapReadoutLine ReadoutLine(const MapReadout& readout);

}  // namespace kelvora::gui
