// The read-out line under the earth map, as the window shows it: its texts,
// formed from the core's figures (tick/map_readout.h). The zones of the map
// that answer the pointer and the line's row are in state/window_layout.h.
#pragma once

#include <QString>

#include <array>
#include <vector>

#include "panel/drawing_resources.h"
#include "tick/map_readout.h"

namespace kelvora::gui {

struct ReadoutText {
  int x;
  QString text;
};

// The seven texts of the line, left to right, each with its column.
using MapReadoutLine = std::array<ReadoutText, 7>;

MapReadoutLine ReadoutLine(const MapReadout& readout);

// Each text of the line at its widest (south pole, 180 east, a set moon, the
// far side of the earth in kilometres) with the room up to the next column.
std::vector<TextSlot> ReadoutSlots();

// Each text of the line at its widest (south pole, 180 east, a set moon, the
// far side of the earth in kilometres) with the room up to the next column.
std::vector<TextSlot> ReadoutSlots();

}  // namespace kelvora::gui
