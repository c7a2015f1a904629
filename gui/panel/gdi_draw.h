// Drawing primitives with the pixel extents of the original window's
// graphics calls: rectangles and ellipses leave out their right and bottom
// edge, lines leave out their end point. All take a QPainter on a raster
// device with antialiasing off.
#pragma once

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPen>
#include <QString>

namespace kelvora::gui {

// One-pixel line from (x1, y1) towards (x2, y2); (x2, y2) itself stays unset.
void GdiLine(QPainter& painter, const QColor& colour, int x1, int y1, int x2, int y2);

// Line with the width of `pen` (one-pixel pens go through GdiLine); wider
// pens get round ends.
void GdiPenLine(QPainter& painter, const QPen& pen, int x1, int y1, int x2, int y2);

// Rectangle (left, top)-(right, bottom): outline in the pen colour on the
// pixels left..right-1, top..bottom-1, inside filled with the brush.
void GdiRectangle(QPainter& painter, const QColor& penColour, const QBrush& brush, int left,
                  int top, int right, int bottom);

// Ellipse inscribed in (left, top)-(right, bottom), outlined with a one-pixel
// pen and filled. Empty boxes draw nothing.
void GdiEllipse(QPainter& painter, const QColor& penColour, const QBrush& brush, int left,
                int top, int right, int bottom);

// Chord of the ellipse in (left, top)-(right, bottom): the arc runs
// counter-clockwise (as seen on the screen) from the radial through
// (x1, y1) to the radial through (x2, y2) and is closed by a straight line.
void GdiChord(QPainter& painter, const QColor& penColour, const QBrush& brush, int left,
              int top, int right, int bottom, int x1, int y1, int x2, int y2);

// The two angles Qt wants for GdiChord, in sixteenths of a degree.
struct ChordAngles {
  int start;
  int span;
};
ChordAngles ChordAnglesFor(int left, int top, int right, int bottom, int x1, int y1, int x2,
                           int y2);

// Text whose cell has its top-left corner at (x, y). With `background` valid
// the cell is filled first (an opaque text background).
void GdiText(QPainter& painter, const QFont& font, const QColor& colour, int x, int y,
             const QString& text, const QColor& background = QColor());

// The cell a GdiText call covers.
QRect GdiTextRect(const QFont& font, int x, int y, const QString& text);

}  // namespace kelvora::gui
