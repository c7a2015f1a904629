// The read-out line under the earth map, as the window shows it: its texts,
// formed from the core's figures (tick/map_readout.h). The zones of the map
// that answer the pointer and the line's row are in state/window_layout.h.
#pragma once

#include <QString>

#include <array>

#include "tick/map_readout.h"

namespace kelvora::gui {

struct ReadoutText {
  int x;
  QString text;
};

// The seven texts of the line, left to right, each with its column.
using MapReadoutLine = std::array<ReadoutText, 7>;

MapReadoutLine ReadoutLine(const MapReadout& readout);

}  // namespace kelvora::gui
