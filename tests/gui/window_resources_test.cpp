// The program-wide pens, brushes and fonts, against their table: colour,
// width, font family, height, weight, pitch and slant.
#include <QBrush>
#include <QFont>
#include <QPen>

#include <gtest/gtest.h>

#include "ui/drawing_resources.h"

namespace kelvora::gui {
namespace {

struct PenRow {
  const char* name;
  QPen DrawingResources::*pen;
  QColor colour;
  int width;
};

TEST(DrawingResourcesTable, PensHaveTheirColourAndWidth) {
  const DrawingResources r = CreateDrawingResources();
  const PenRow rows[] = {
      {"blackPen", &DrawingResources::blackPen, QColor(0, 0, 0), 1},
      {"yellowPen", &DrawingResources::yellowPen, QColor(255, 255, 0), 1},
      {"darkGreyPen", &DrawingResources::darkGreyPen, QColor(100, 100, 100), 1},
      {"tealPen", &DrawingResources::tealPen, QColor(0, 64, 64), 1},
      {"greyPen", &DrawingResources::greyPen, QColor(150, 150, 150), 1},
      {"slatePen", &DrawingResources::slatePen, QColor(140, 140, 160), 1},
      {"slatePen2", &DrawingResources::slatePen2, QColor(140, 140, 160), 1},
      {"tanPen", &DrawingResources::tanPen, QColor(175, 155, 140), 1},
      {"olivePen", &DrawingResources::olivePen, QColor(140, 140, 120), 1},
      {"yellowPen3", &DrawingResources::yellowPen3, QColor(255, 255, 0), 3},
      {"whitePen2", &DrawingResources::whitePen2, QColor(255, 255, 255), 2},
      {"whitePen", &DrawingResources::whitePen, QColor(255, 255, 255), 1},
      {"redPen2", &DrawingResources::redPen2, QColor(255, 0, 0), 2},
  };
  for (const PenRow& row : rows) {
    SCOPED_TRACE(row.name);
    const QPen& pen = r.*row.pen;
    EXPECT_EQ(pen.color(), row.colour);
    EXPECT_EQ(pen.width(), row.width);
    EXPECT_EQ(pen.style(), Qt::SolidLine);
  }
}

struct BrushRow {
  const char* name;
  QBrush DrawingResources::*brush;
  QColor colour;
};

TEST(DrawingResourcesTable, BrushesAreSolidInTheirColour) {
  const DrawingResources r = CreateDrawingResources();
  const BrushRow rows[] = {
      {"editBackBrush", &DrawingResources::editBackBrush, QColor(224, 224, 224)},
      {"creamBrush", &DrawingResources::creamBrush, QColor(255, 255, 225)},
      {"blackBrush", &DrawingResources::blackBrush, QColor(0, 0, 0)},
      {"yellowBrush", &DrawingResources::yellowBrush, QColor(255, 255, 0)},
      {"darkGreyBrush", &DrawingResources::darkGreyBrush, QColor(100, 100, 100)},
      {"greyBrush", &DrawingResources::greyBrush, QColor(170, 170, 170)},
      {"slateBrush", &DrawingResources::slateBrush, QColor(140, 140, 160)},
      {"tanBrush", &DrawingResources::tanBrush, QColor(175, 155, 140)},
      {"oliveBrush", &DrawingResources::oliveBrush, QColor(140, 140, 120)},
  };
  for (const BrushRow& row : rows) {
    SCOPED_TRACE(row.name);
    const QBrush& brush = r.*row.brush;
    EXPECT_EQ(brush.color(), row.colour);
    EXPECT_EQ(brush.style(), Qt::SolidPattern);
  }
}

struct FontRow {
  const char* name;
  QFont DrawingResources::*font;
  int pixelHeight;
  int weight;
  bool fixedPitch;
  bool italic;
};

TEST(DrawingResourcesTable, FontsAreArialAtTheirHeightAndWeight) {
  const DrawingResources r = CreateDrawingResources();
  const FontRow rows[] = {
      {"pointerFont", &DrawingResources::pointerFont, 14, 400, false, false},
      {"labelFont", &DrawingResources::labelFont, 15, 500, false, false},
      {"smallBoldFont", &DrawingResources::smallBoldFont, 13, 500, false, false},
      {"fixedFont", &DrawingResources::fixedFont, 12, 400, true, false},
      {"italicFont", &DrawingResources::italicFont, 12, 400, true, true},
  };
  for (const FontRow& row : rows) {
    SCOPED_TRACE(row.name);
    const QFont& font = r.*row.font;
    EXPECT_EQ(font.family(), QStringLiteral("Arial"));
    EXPECT_EQ(font.pixelSize(), row.pixelHeight);
    EXPECT_EQ(font.weight(), row.weight);
    EXPECT_EQ(font.fixedPitch(), row.fixedPitch);
    EXPECT_EQ(font.italic(), row.italic);
    EXPECT_FALSE(font.underline());
    EXPECT_FALSE(font.strikeOut());
  }
}

}  // namespace
}  // namespace kelvora::gui
