#include "panel/panel_overlay.h"

#include "panel/gdi_draw.h"
#include "panel/panel_painter.h"

namespace kelvora::gui {
namespace {

const QColor kBlack{0, 0, 0};

// Decides whether an item is drawn in this paint, and updates its state.
bool DrawNow(OverlayItem& item, const QRect& area, const QRegion& region, bool consume) {
  if (!consume) return item.Shown();
  if (item.pending) {
    item.pending = false;
    item.onScreen = true;
    return true;
  }
  if (item.onScreen && region.intersects(area)) item.onScreen = false;
  return false;
}

}  // namespace

QRect CaptionArea(StepButton button, const DrawingResources& resources) {
  const StepButtonDef& def = DefOf(button);
  return def.captionBox.united(GdiTextRect(resources.fixedFont, def.textX, def.textY,
                                            QString::fromLatin1(def.caption)));
}

QRect CaptionEraseArea(StepButton button, const DrawingResources& resources) {
  return DefOf(button).eraseRect.united(CaptionArea(button, resources));
}

QRect ReadoutArea(const MapReadoutLine& line, const DrawingResources& resources) {
  QRect area;
  for (const ReadoutText& part : line) {
    area = area.united(GdiTextRect(resources.pointerFont, part.x, kReadoutRow, part.text));
  }
  return area;
}

QRect PointerTextArea(const QString& text, const QFont& defaultFont) {
  return GdiTextRect(defaultFont, kPointerTextX, kPointerTextY, text);
}

QRect PlacedCrossArea(QPoint at) { return QRect(at.x() - 6, at.y() - 6, 13, 13); }

void PaintOverlay(QPainter& painter, PanelOverlayState& state, const DrawingResources& resources,
                  const QFont& defaultFont, const QRegion& region, bool consume) {
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);

  for (const StepButtonDef& def : StepButtons()) {
    const auto index = static_cast<std::size_t>(def.button);
    OverlayItem& item = state.captions[index];
    const bool up = state.captionFlags[index];
    if (!DrawNow(item, CaptionArea(def.button, resources), region, consume) && !up) continue;
    if (consume) item.onScreen = up;
    const QRect& box = def.captionBox;
    GdiRectangle(painter, kBlack, resources.creamBrush, box.left(), box.top(),
                 box.left() + box.width(), box.top() + box.height());
    GdiText(painter, resources.fixedFont, kBlack, def.textX, def.textY,
            QString::fromLatin1(def.caption));
  }

  if (DrawNow(state.readout, ReadoutArea(state.readoutLine, resources), region, consume)) {
    for (const ReadoutText& part : state.readoutLine) {
      GdiText(painter, resources.pointerFont, kBlack, part.x, kReadoutRow, part.text,
              kPanelTextBackground);
    }
  }

  if (DrawNow(state.pointer, PointerTextArea(state.pointerText, defaultFont), region, consume)) {
    GdiText(painter, defaultFont, kPointerTextColour, kPointerTextX, kPointerTextY,
            state.pointerText, kPanelTextBackground);
  }

  if (DrawNow(state.placedCross, PlacedCrossArea(state.placedAt), region, consume)) {
    PaintStation2Cross(painter, resources, state.placedAt.x(), state.placedAt.y());
  }
}

}  // namespace kelvora::gui
