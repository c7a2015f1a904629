#include "panel/panel_painter.h"

#include <qdrawutil.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "panel/gdi_draw.h"
#include "panel/panel_widget.h"
#include "panel/step_buttons.h"
#include "astro/time_helpers.h"
#include "tick/tick.h"

// The pictures live in the gui library's resources, which a static library
// registers only when asked to (outside any namespace).
static void RegisterPanelResources() { Q_INIT_RESOURCE(resources); }

namespace kelvora::gui {
namespace {

const QColor kLabelColour{100, 100, 100};
const QColor kMoonViewColour{192, 192, 123};
const QColor kSunViewColour{192, 192, 192};
const QColor kFullMoonColour{255, 255, 0};
const QColor kWhite{255, 255, 255};
// The classic three-dimensional edge colours.
const QColor kEdgeShadow{128, 128, 128};
const QColor kEdgeLight{255, 255, 255};

// Where the phase word starts.
constexpr int kPhaseWordX = 217;
constexpr int kPhaseWordY = 56;

// The phase picture's ellipse box.
constexpr int kDiscLeft = 230;
constexpr int kDiscTop = 33;
constexpr int kDiscRight = 250;
constexpr int kDiscBottom = 53;

QImage LoadPicture(const char* path) {
  QImage image(QString::fromLatin1(path));
  if (image.isNull()) return image;
  return image.convertToFormat(QImage::Format_RGB32);
}

void PaintStepButtons(QPainter& painter, const QPalette& palette) {
  for (const int left : kStepButtonPaintOrder) {
    qDrawWinButton(&painter, left, kStepButtonTop, kStepButtonSize, kStepButtonSize, palette,
                   false, &palette.button());
  }
}

// An etched frame: a sunken outer edge and a raised inner edge on all four
// sides, as the window system's etched edge draws it.
void PaintEtchedFrame(QPainter& painter, int left, int top, int right, int bottom) {
  const QColor shadow = kEdgeShadow;
  const QColor light = kEdgeLight;
  // Outer: shadow at top and left, light at bottom and right.
  GdiLine(painter, shadow, left, bottom - 1, left, top);
  GdiLine(painter, shadow, left, top, right - 1, top);
  GdiLine(painter, light, left, bottom - 1, right, bottom - 1);
  GdiLine(painter, light, right - 1, top, right - 1, bottom - 1);
  // Inner: light at top and left, shadow at bottom and right.
  GdiLine(painter, light, left + 1, bottom - 2, left + 1, top + 1);
  GdiLine(painter, light, left + 1, top + 1, right - 2, top + 1);
  GdiLine(painter, shadow, left + 1, bottom - 2, right - 1, bottom - 2);
  GdiLine(painter, shadow, right - 2, top + 1, right - 2, bottom - 2);
}

}  // namespace

PanelPictures LoadPanelPictures() {
  static const bool registered = (RegisterPanelResources(), true);
  (void)registered;
  return {LoadPicture(":/kelvora/earth_map.bmp"), LoadPicture(":/kelvora/sky_map.bmp")};
}

std::vector<TextSlot> LabelSlots() {
  std::vector<TextSlot> places;
  for (const PaintedLabel& label : kPaintedLabels) {
    places.push_back({QString::fromLatin1(TextInfo(label.text).label), kClientWidth - label.x});
  }
  return places;
}

std::vector<TextSlot> PhaseWordSlots() {
  std::vector<TextSlot> places;
  for (int m = 0; m <= 40; ++m) {
    const PhaseWord word = PhaseWordFor(m);
    places.push_back({QString::fromLatin1(word.text), kPhaseRepaintRect.right - kPhaseWordX});
  }
  return places;
}

PhaseWord PhaseWordFor(int m) {
  if (m == 0 || m == 1) return {"full moon ", kFullMoonColour};
  if (m >= 2 && m <= 19) return {"  waxing   ", kLabelColour};
  if (m == 20) return {"new moon", kLabelColour};
  if (m >= 21 && m <= 30) return {"  waning   ", kLabelColour};
  if (m >= 31 && m <= 39) return {"  waning    ", kLabelColour};
  return {"", kLabelColour};
}

void PaintEarthOverlay(QPainter& painter, const TrackerModel& model,
                       const DrawingResources& resources) {
  const TrackingState& tracking = model.tracking;
  const ViewMode& view = model.view;

  // The region that sees the body, merged with the inverted colour so the map
  // shows through it, lightened.
  const QPen* pen = &resources.slatePen;
  const QBrush* brush = &resources.slateBrush;
  if (tracking.timeOffset == 0) {
    if (!view.sunView) {
      pen = &resources.tanPen;
      brush = &resources.tanBrush;
    } else {
      pen = &resources.olivePen;
      brush = &resources.oliveBrush;
    }
  }
  const int count = std::clamp(tracking.footprintResult, 0, kFootprintPoints);
  if (count > 0) {
    std::array<QPoint, kFootprintPoints> points;
    for (int i = 0; i < count; ++i) {
      const MapPoint& p = tracking.footprint[static_cast<std::size_t>(i)];
      points[static_cast<std::size_t>(i)] = QPoint(p.x, p.y);
    }
    painter.setCompositionMode(QPainter::RasterOp_NotSourceOrDestination);
    painter.setPen(QPen(pen->color(), 0));
    painter.setBrush(QBrush(brush->color()));
    painter.drawPolygon(points.data(), count, Qt::OddEvenFill);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  }

  if (view.sunView) {
    const int x = tracking.sunMarker.x;
    const int y = tracking.sunMarker.y;
    const QColor white = resources.whitePen.color();
    GdiLine(painter, white, x - 7, y, x + 7, y);
    GdiLine(painter, white, x, y - 7, x, y + 7);
    GdiLine(painter, white, x - 4, y - 4, x + 4, y + 4);
    GdiLine(painter, white, x + 4, y - 4, x - 4, y + 4);
  } else {
    const int x = tracking.moonMarker.x;
    const int y = tracking.moonMarker.y;
    GdiPenLine(painter, resources.yellowPen3, x - 2, y, x + 2, y);
    GdiPenLine(painter, resources.yellowPen3, x, y - 5, x, y + 5);
  }

  {
    const int x = tracking.homeMarker.x;
    const int y = tracking.homeMarker.y;
    GdiPenLine(painter, resources.whitePen2, x - 1, y, x + 1, y);
    GdiPenLine(painter, resources.whitePen2, x, y - 1, x, y + 1);
  }

  // A stored position without a locator text is no second station.
  if (model.station2.HasLocator()) {
    PaintStation2Cross(painter, resources, tracking.station2Marker.x, tracking.station2Marker.y);
  }
  if (tracking.antenna.shown) {
    // The antenna's bearing: a short line from home, north up.
    constexpr double kBearingLength = 14.0;
    const double az = tracking.antenna.azimuth * kDegToRad;
    const int x = tracking.homeMarker.x;
    const int y = tracking.homeMarker.y;
    GdiLine(painter, kAntennaMarkColour, x, y,
            x + static_cast<int>(std::lround(kBearingLength * std::sin(az))),
            y - static_cast<int>(std::lround(kBearingLength * std::cos(az))));
  }
}

void PaintStation2Cross(QPainter& painter, const DrawingResources& resources, int x, int y) {
  GdiPenLine(painter, resources.redPen2, x - 4, y, x + 4, y);
  GdiPenLine(painter, resources.redPen2, x, y - 4, x, y + 4);
}

void PaintSkyOverlay(QPainter& painter, const TrackerModel& model,
                     const DrawingResources& resources) {
  const TrackingState& tracking = model.tracking;
  const QColor slate = resources.slatePen2.color();
  for (const SkyMapPoint& point : tracking.moonTrack) {
    const int x = static_cast<int>(point.column);
    const int y = static_cast<int>(point.row);
    GdiLine(painter, slate, x, y, x + 3, y);
  }
  {
    const int x = tracking.moonSkyPoint.x;
    const int y = tracking.moonSkyPoint.y;
    GdiEllipse(painter, slate, resources.yellowBrush, x - 8, y - 8, x + 8, y + 8);
  }
  {
    const int x = tracking.sunSkyPoint.x;
    const int y = tracking.sunSkyPoint.y;
    GdiLine(painter, kWhite, x - 7, y, x + 7, y);
    GdiLine(painter, kWhite, x, y - 8, x, y + 8);
    GdiLine(painter, kWhite, x - 4, y - 4, x + 4, y + 4);
    GdiLine(painter, kWhite, x + 4, y - 4, x - 4, y + 4);
  }
  if (tracking.antenna.shown) {
    // The antenna's direction: a small square.
    const SkyMapPoint p =
        SkyMapPlacement(tracking.antenna.rightAscension, tracking.antenna.declination);
    const int x = static_cast<int>(p.column);
    const int y = static_cast<int>(p.row);
    GdiLine(painter, kAntennaMarkColour, x - 4, y - 4, x + 4, y - 4);
    GdiLine(painter, kAntennaMarkColour, x + 4, y - 4, x + 4, y + 4);
    GdiLine(painter, kAntennaMarkColour, x + 4, y + 4, x - 4, y + 4);
    GdiLine(painter, kAntennaMarkColour, x - 4, y + 4, x - 4, y - 4);
  }
}

void PaintPhasePicture(QPainter& painter, const DrawingResources& resources, int m) {
  PaintEtchedFrame(painter, 224, 30, 256, 56);
  GdiRectangle(painter, resources.blackPen.color(), resources.blackBrush, 225, 31, 255, 55);
  const QColor darkGrey = resources.darkGreyPen.color();
  const QColor yellow = resources.yellowPen.color();
  GdiEllipse(painter, darkGrey, resources.darkGreyBrush, kDiscLeft, kDiscTop, kDiscRight,
             kDiscBottom);

  // The lit part: a chord of the disc, then a second ellipse that adds light
  // (yellow) or takes it away (dark grey).
  struct Lit {
    int chordX1, chordY1, chordX2, chordY2;
    int ellipseLeft, ellipseRight;
    bool yellowEllipse;
  };
  Lit lit{};
  if (m >= 0 && m <= 10) {
    lit = {239, 53, 239, 33, 230 + m, 250 - m, true};
  } else if (m >= 11 && m <= 20) {
    lit = {241, 53, 241, 33, 250 - m, 230 + m, false};
  } else if (m >= 21 && m <= 30) {
    lit = {239, 33, 239, 53, 210 + m, 270 - m, false};
  } else if (m >= 31 && m <= 40) {
    lit = {241, 33, 241, 53, 270 - m, 210 + m, true};
  } else {
    return;
  }
  GdiChord(painter, yellow, resources.yellowBrush, kDiscLeft, kDiscTop, kDiscRight, kDiscBottom,
           lit.chordX1, lit.chordY1, lit.chordX2, lit.chordY2);
  if (lit.yellowEllipse) {
    GdiEllipse(painter, yellow, resources.yellowBrush, lit.ellipseLeft, kDiscTop,
               lit.ellipseRight, kDiscBottom);
  } else {
    GdiEllipse(painter, darkGrey, resources.darkGreyBrush, lit.ellipseLeft, kDiscTop,
               lit.ellipseRight, kDiscBottom);
  }

  const PhaseWord word = PhaseWordFor(m);
  if (word.text[0] != '\0') {
    GdiText(painter, resources.smallBoldFont, word.colour, kPhaseWordX, kPhaseWordY,
            QString::fromLatin1(word.text), kPanelTextBackground);
  }
}

void PaintPanel(QPainter& painter, const TrackerModel& model, const DrawingResources& resources,
                const PanelPictures& pictures, const QPalette& palette) {
  painter.setRenderHint(QPainter::Antialiasing, false);

  const QImage* map = nullptr;
  if (model.view.mapBitmap == kEarthMapBitmap) map = &pictures.earthMap;
  if (model.view.mapBitmap == kSkyMapBitmap) map = &pictures.skyMap;
  if (map != nullptr && !map->isNull()) {
    painter.drawImage(QPoint(0, kMapTop), *map,
                      QRect(0, 0, std::min(kMapShownWidth, map->width()),
                            std::min(kMapShownHeight, map->height())));
  }

  for (const PaintedLabel& label : kPaintedLabels) {
    GdiText(painter, resources.labelFont, kLabelColour, label.x, label.y,
            QString::fromLatin1(TextInfo(label.text).label));
  }

  if (model.view.sunView) {
    GdiText(painter, resources.italicFont, kSunViewColour, 2, kMapTop, QStringLiteral("Sun View"));
  } else {
    GdiText(painter, resources.italicFont, kMoonViewColour, 2, kMapTop,
            QStringLiteral("Moon View"));
  }

  PaintStepButtons(painter, palette);

  if (model.view.mapBitmap == kSkyMapBitmap) {
    PaintSkyOverlay(painter, model, resources);
  } else if (model.view.mapBitmap == kEarthMapBitmap) {
    PaintEarthOverlay(painter, model, resources);
    PaintPhasePicture(painter, resources, model.tracking.phaseIndex);
  }
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

}  // namespace kelvora::gui
