// Painting of the panel from the shared state: the map picture, the labels,
// the view caption, the time-step buttons, the map overlays and the phase
// picture. Nothing here computes a position; everything comes from the
// values the last tick left in the model.
#pragma once

#include <QImage>
#include <QPainter>
#include <QPalette>

#include <vector>

#include "state/records.h"
#include "panel/drawing_resources.h"

namespace kelvora::gui {

// The two map pictures, loaded once from the resources and kept as 32-bit
// images so the copy into the panel is a plain blit.
struct PanelPictures {
  QImage earthMap;  // 431 x 305
  QImage skyMap;    // 434 x 308
};
PanelPictures LoadPanelPictures();

// Everything the paint handler draws, in its order, onto a raster device
// (widget backing store or QImage) of the client area's size. The background
// is assumed to be erased already. A time-step caption is no part of it: it
// lies over the panel and covers what it covers.
void PaintPanel(QPainter& painter, const TrackerModel& model, const DrawingResources& resources,
                const PanelPictures& pictures, const QPalette& palette);

// Parts of PaintPanel, exposed for the tests.
void PaintEarthOverlay(QPainter& painter, const TrackerModel& model,
                       const DrawingResources& resources);
void PaintSkyOverlay(QPainter& painter, const TrackerModel& model,
                     const DrawingResources& resources);
void PaintPhasePicture(QPainter& painter, const DrawingResources& resources, int phaseIndex);

// The second station's red cross at (x, y): its marker on the earth map, and
// the cross a click on the map leaves at once.
void PaintStation2Cross(QPainter& painter, const DrawingResources& resources, int x, int y);

// The word under the phase picture ("" where none is painted) and its colour.
struct PhaseWord {
  const char* text;
  QColor colour;
};
PhaseWord PhaseWordFor(int phaseIndex);

// The painted labels with the room up to the window's right edge, and the
// phase words with the room of the phase area the tick repaints.
std::vector<TextSlot> LabelSlots();
std::vector<TextSlot> PhaseWordSlots();

// Background behind the phase word and the pointer texts.
inline const QColor kPanelTextBackground{195, 195, 195};
// The antenna's mark while station control runs: a colour no other part of
// the window uses.
inline const QColor kAntennaMarkColour{255, 0, 255};

}  // namespace kelvora::gui
