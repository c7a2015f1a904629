// The program-wide pens, brushes and fonts, created once at start-up in a
// fixed order and owned here.
#pragma once

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QPen>
#include <QString>

#include <vector>

namespace kelvora::gui {

struct DrawingResources {
  QBrush editBackBrush;  // (224, 224, 224)
  QPen blackPen;
  QPen yellowPen;
  QPen darkGreyPen;  // (100, 100, 100)
  QPen tealPen;      // (0, 64, 64)
  QBrush creamBrush;  // (255, 255, 225)
  QBrush blackBrush;
  QBrush yellowBrush;
  QBrush darkGreyBrush;
  QPen greyPen;      // (150, 150, 150)
  QBrush greyBrush;  // (170, 170, 170)
  QBrush slateBrush;  // (140, 140, 160)
  QPen slatePen;
  QPen slatePen2;
  QBrush tanBrush;  // (175, 155, 140)
  QPen tanPen;
  QBrush oliveBrush;  // (140, 140, 120)
  QPen olivePen;
  QPen yellowPen3;  // width 3
  QPen whitePen2;   // width 2
  QPen whitePen;
  QPen redPen2;  // width 2
  QFont pointerFont;    // Arial, 14 px, weight 400
  QFont labelFont;      // Arial, 15 px, weight 500
  QFont smallBoldFont;  // Arial, 13 px, weight 500
  QFont fixedFont;      // Arial, 12 px, weight 400, fixed pitch
  QFont italicFont;     // Arial, 12 px, weight 400, italic, fixed pitch
};

// A text at its longest and the pixels its place leaves it.
struct TextSlot {
  QString text;
  int width;
};

// `font` at the largest pixel size, not above its own, at which every text
// fits its place. The layout was drawn for Arial's widths; faces standing in
// for it on other systems (Liberation Sans, DejaVu Sans) run up to a tenth
// wider and would spill over their boxes.
QFont FitFontToSlots(QFont font, const std::vector<TextSlot>& places);

// Creates the 22 pens and brushes and the 5 fonts in their listed order, each
// font fitted to the longest texts the panel draws with it.
DrawingResources CreateDrawingResources();

}  // namespace kelvora::gui
