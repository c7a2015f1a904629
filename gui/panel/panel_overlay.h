// What the mouse handlers put on the panel between two paints: the time-step
// captions, the earth-map read-out line, the pointer coordinates and the cross
// of a freshly placed second station.
//
// The read-out, the pointer text and the cross behave like drawings made
// straight onto the window: a handler asks for one, the next paint shows it,
// and any later repaint that covers it without asking again wipes it out
// (the read-out line thus disappears when the status line under it
// repaints). A caption stays up, over whatever the panel repaints under it,
// for as long as its flag is set.
#pragma once

#include <QFont>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QString>

#include <array>

#include "panel/map_readout.h"
#include "panel/step_buttons.h"
#include "panel/drawing_resources.h"

namespace kelvora::gui {

struct OverlayItem {
  bool pending = false;  // asked for, not yet painted
  bool onScreen = false; // painted and not wiped out since
  bool Shown() const { return pending || onScreen; }
  void Request() { pending = true; }
};

struct PanelOverlayState {
  // The handlers' flags.
  bool stepCaptionShown = false;
  std::array<bool, kStepButtonCount> captionFlags{};
  bool mapReadoutShown = false;

  // What is (to be) drawn.
  std::array<OverlayItem, kStepButtonCount> captions{};
  OverlayItem readout;
  MapReadoutLine readoutLine{};
  OverlayItem pointer;
  QString pointerText;
  OverlayItem placedCross;
  QPoint placedAt;
};

inline const QColor kPointerTextColour{0, 0, 200};

// The window area each item covers.
QRect CaptionArea(StepButton button, const DrawingResources& resources);
// What taking a caption away repaints: its erase rectangle and all it drew.
QRect CaptionEraseArea(StepButton button, const DrawingResources& resources);
QRect ReadoutArea(const MapReadoutLine& line, const DrawingResources& resources);
QRect PointerTextArea(const QString& text, const QFont& defaultFont);
QRect PlacedCrossArea(QPoint at);

// Paints the items. With `consume` (a real repaint of `region`) pending items
// are drawn and become on screen, and on-screen items that `region` touches
// are wiped out; without it (a snapshot) every shown item is drawn and the
// state stays as it is.
void PaintOverlay(QPainter& painter, PanelOverlayState& state, const DrawingResources& resources,
                  const QFont& defaultFont, const QRegion& region, bool consume);

}  // namespace kelvora::gui
