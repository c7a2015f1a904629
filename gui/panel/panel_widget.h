// The main window's client area: it paints the labels, the map with its
// overlays, the view caption, the time-step buttons and the phase picture
// under the value boxes (which are its child widgets), and answers the mouse.
#pragma once

#include <QImage>
#include <QWidget>

#include <cstdint>

#include "panel/panel_overlay.h"
#include "state/records.h"
#include "panel/drawing_resources.h"

namespace kelvora::gui {

// What the panel needs from the window that hosts it.
class PanelHost {
 public:
  virtual ~PanelHost() = default;
  virtual void RunTickNow() = 0;           // the tick with timer id 0, at once
  virtual void RestartStatusTimer() = 0;   // timer 2, 5000 ms, anew
  virtual void PushTexts() = 0;            // data exchange towards the controls
  virtual std::int64_t Clock() const = 0;  // the clock value
};

class PanelWidget : public QWidget {
  Q_OBJECT
 public:
  PanelWidget(TrackerModel& model, const DrawingResources& resources, PanelHost& host,
              QWidget* parent = nullptr);
  ~PanelWidget() override;

  // Invalidates a window rectangle, with erasing.
  void InvalidateRect(const PixelRect& rect);

  // Paints what paintEvent paints into an image of the client area's size,
  // with the mouse handlers' captions, read-out and pointer texts on top.
  QImage RenderToImage();

  // The mouse handlers' flags and pending drawings, for checks.
  const PanelOverlayState& OverlayState() const;

  // Takes every time-step caption away: the pointer has left the buttons
  // for somewhere that sends the panel no moves.
  void TakeCaptionsAway();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Impl;
  Impl* impl_;
};

}  // namespace kelvora::gui
