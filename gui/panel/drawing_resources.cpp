#include "panel/drawing_resources.h"

#include <QFontMetrics>

#include "panel/map_readout.h"
#include "panel/panel_painter.h"
#include "panel/step_buttons.h"

namespace kelvora::gui {

namespace {

QPen SolidPen(int red, int green, int blue, int width) {
  QPen pen(QColor(red, green, blue));
  pen.setStyle(Qt::SolidLine);
  pen.setWidth(width);
  return pen;
}

QBrush SolidBrush(int red, int green, int blue) {
  return QBrush(QColor(red, green, blue), Qt::SolidPattern);
}

// Heights are character-cell heights in pixels (ascent plus descent), as the
// window system that first drew this program measured them; Qt's pixel size
// is the em height, which is smaller. The largest em size whose cell fits the
// given height keeps the texts inside the places laid out for them. Weights
// are on the 100..900 scale, which Qt 6 takes as it is.
QFont ArialFont(int cellHeight, int weight, bool fixedPitch, bool italic) {
  QFont font(QStringLiteral("Arial"));
  font.setWeight(static_cast<QFont::Weight>(weight));
  // The window system this was made for matches the face by its name and
  // draws Arial even when fixed pitch is asked for; fontconfig would swap in
  // a monospaced face, far wider than the places laid out for these texts.
  (void)fixedPitch;
  font.setStyleHint(QFont::SansSerif);
  font.setItalic(italic);
  font.setUnderline(false);
  font.setStrikeOut(false);
  // Plain pixels in the text colour, as on the grey panel they were made for.
  font.setStyleStrategy(QFont::NoAntialias);
  int pixelSize = cellHeight;
  for (; pixelSize > 1; --pixelSize) {
    font.setPixelSize(pixelSize);
    const QFontMetrics metrics(font);
    if (metrics.ascent() + metrics.descent() <= cellHeight) break;
  }
  font.setPixelSize(pixelSize);
  return font;
}

}  // namespace

QFont FitFontToSlots(QFont font, const std::vector<TextSlot>& places) {
  const auto fits = [&places](const QFont& candidate) {
    const QFontMetrics metrics(candidate);
    for (const TextSlot& place : places) {
      if (metrics.horizontalAdvance(place.text) > place.width) return false;
    }
    return true;
  };
  int pixelSize = font.pixelSize();
  while (pixelSize > 1 && !fits(font)) font.setPixelSize(--pixelSize);
  return font;
}

DrawingResources CreateDrawingResources() {
  DrawingResources r;
  r.editBackBrush = SolidBrush(224, 224, 224);
  r.blackPen = SolidPen(0, 0, 0, 1);
  r.yellowPen = SolidPen(255, 255, 0, 1);
  r.darkGreyPen = SolidPen(100, 100, 100, 1);
  r.tealPen = SolidPen(0, 64, 64, 1);
  r.creamBrush = SolidBrush(255, 255, 225);
  r.blackBrush = SolidBrush(0, 0, 0);
  r.yellowBrush = SolidBrush(255, 255, 0);
  r.darkGreyBrush = SolidBrush(100, 100, 100);
  r.greyPen = SolidPen(150, 150, 150, 1);
  r.greyBrush = SolidBrush(170, 170, 170);
  r.slateBrush = SolidBrush(140, 140, 160);
  r.slatePen = SolidPen(140, 140, 160, 1);
  r.slatePen2 = SolidPen(140, 140, 160, 1);
  r.tanBrush = SolidBrush(175, 155, 140);
  r.tanPen = SolidPen(175, 155, 140, 1);
  r.oliveBrush = SolidBrush(140, 140, 120);
  r.olivePen = SolidPen(140, 140, 120, 1);
  r.yellowPen3 = SolidPen(255, 255, 0, 3);
  r.whitePen2 = SolidPen(255, 255, 255, 2);
  r.whitePen = SolidPen(255, 255, 255, 1);
  r.redPen2 = SolidPen(255, 0, 0, 2);
  r.pointerFont = FitFontToSlots(ArialFont(14, 400, false, false), ReadoutSlots());
  r.labelFont = FitFontToSlots(ArialFont(15, 500, false, false), LabelSlots());
  r.smallBoldFont = FitFontToSlots(ArialFont(13, 500, false, false), PhaseWordSlots());
  r.fixedFont = FitFontToSlots(ArialFont(12, 400, true, false), CaptionSlots());
  r.italicFont = ArialFont(12, 400, true, true);
  return r;
}

}  // namespace kelvora::gui
