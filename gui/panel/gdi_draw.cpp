#include "panel/gdi_draw.h"

#include <QFontMetrics>

#include <cmath>
#include <cstdlib>

namespace kelvora::gui {

void GdiLine(QPainter& painter, const QColor& colour, int x1, int y1, int x2, int y2) {
  const int dx = x2 - x1;
  const int dy = y2 - y1;
  if (dy == 0) {
    if (dx == 0) return;
    painter.fillRect(QRect(dx > 0 ? x1 : x2 + 1, y1, std::abs(dx), 1), colour);
    return;
  }
  if (dx == 0) {
    painter.fillRect(QRect(x1, dy > 0 ? y1 : y2 + 1, 1, std::abs(dy)), colour);
    return;
  }
  // Bresenham along the major axis, end point excluded.
  const int steps = std::max(std::abs(dx), std::abs(dy));
  const int sx = dx > 0 ? 1 : -1;
  const int sy = dy > 0 ? 1 : -1;
  const int ax = std::abs(dx);
  const int ay = std::abs(dy);
  int x = x1;
  int y = y1;
  int error = 0;
  for (int i = 0; i < steps; ++i) {
    painter.fillRect(QRect(x, y, 1, 1), colour);
    if (ax >= ay) {
      x += sx;
      error += 2 * ay;
      if (error > ax) {
        y += sy;
        error -= 2 * ax;
      }
    } else {
      y += sy;
      error += 2 * ax;
      if (error > ay) {
        x += sx;
        error -= 2 * ay;
      }
    }
  }
}

void GdiPenLine(QPainter& painter, const QPen& pen, int x1, int y1, int x2, int y2) {
  if (pen.width() <= 1) {
    GdiLine(painter, pen.color(), x1, y1, x2, y2);
    return;
  }
  QPen wide(pen);
  wide.setCapStyle(Qt::RoundCap);
  painter.setPen(wide);
  painter.drawLine(x1, y1, x2, y2);
}

void GdiRectangle(QPainter& painter, const QColor& penColour, const QBrush& brush, int left,
                  int top, int right, int bottom) {
  const int width = right - left;
  const int height = bottom - top;
  if (width <= 0 || height <= 0) return;
  painter.fillRect(QRect(left, top, width, height), penColour);
  if (width > 2 && height > 2) painter.fillRect(QRect(left + 1, top + 1, width - 2, height - 2), brush);
}

void GdiEllipse(QPainter& painter, const QColor& penColour, const QBrush& brush, int left,
                int top, int right, int bottom) {
  if (right - left <= 0 || bottom - top <= 0) return;
  painter.setPen(QPen(penColour, 0));
  painter.setBrush(brush);
  // Qt's outline covers width + 1 columns; the original covers width.
  painter.drawEllipse(QRect(left, top, right - left - 1, bottom - top - 1));
}

ChordAngles ChordAnglesFor(int left, int top, int right, int bottom, int x1, int y1, int x2,
                           int y2) {
  const double cx = (left + right) / 2.0;
  const double cy = (top + bottom) / 2.0;
  // Screen rows grow downward; angles count counter-clockwise as seen.
  const double a1 = std::atan2(cy - y1, x1 - cx) * 180.0 / M_PI;
  const double a2 = std::atan2(cy - y2, x2 - cx) * 180.0 / M_PI;
  double span = a2 - a1;
  if (span <= 0.0) span += 360.0;
  return {static_cast<int>(std::lround(a1 * 16.0)), static_cast<int>(std::lround(span * 16.0))};
}

void GdiChord(QPainter& painter, const QColor& penColour, const QBrush& brush, int left,
              int top, int right, int bottom, int x1, int y1, int x2, int y2) {
  if (right - left <= 0 || bottom - top <= 0) return;
  const ChordAngles angles = ChordAnglesFor(left, top, right, bottom, x1, y1, x2, y2);
  painter.setPen(QPen(penColour, 0));
  painter.setBrush(brush);
  painter.drawChord(QRect(left, top, right - left - 1, bottom - top - 1), angles.start,
                    angles.span);
}

QRect GdiTextRect(const QFont& font, int x, int y, const QString& text) {
  const QFontMetrics metrics(font);
  return QRect(x, y, metrics.horizontalAdvance(text), metrics.height());
}

void GdiText(QPainter& painter, const QFont& font, const QColor& colour, int x, int y,
             const QString& text, const QColor& background) {
  const QFontMetrics metrics(font);
  if (background.isValid()) {
    painter.fillRect(QRect(x, y, metrics.horizontalAdvance(text), metrics.height()), background);
  }
  painter.setFont(font);
  painter.setPen(colour);
  painter.drawText(x, y + metrics.ascent(), text);
}

}  // namespace kelvora::gui
