// A stand-in for the main window around the panel, and small pixel helpers.
#pragma once

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>

#include <cstdint>

#include "panel/panel_widget.h"
#include "state/records.h"
#include "panel/drawing_resources.h"

namespace kelvora::gui::testing {

// 2000-01-01 12:00:00 UTC, counted as the clock value with no zone offset.
inline constexpr std::int64_t kTestClock = 946728000;

class FakePanelHost : public PanelHost {
 public:
  void RunTickNow() override { ++ticks; }
  void RestartStatusTimer() override { ++statusRestarts; }
  void PushTexts() override { ++pushes; }
  std::int64_t Clock() const override { return clock; }

  int ticks = 0;
  int statusRestarts = 0;
  int pushes = 0;
  std::int64_t clock = kTestClock;
};

inline QRgb Rgb(int r, int g, int b) { return qRgb(r, g, b); }
inline QRgb PixelAt(const QImage& image, int x, int y) { return image.pixel(x, y) | 0xff000000u; }

inline void SendMouse(QWidget& widget, QEvent::Type type, int x, int y, Qt::MouseButton button,
                      Qt::MouseButtons held) {
  const QPointF at(x, y);
  QMouseEvent event(type, at, widget.mapToGlobal(at), button, held, Qt::NoModifier);
  QCoreApplication::sendEvent(&widget, &event);
}
inline void Move(QWidget& widget, int x, int y, Qt::MouseButtons held = Qt::NoButton) {
  SendMouse(widget, QEvent::MouseMove, x, y, Qt::NoButton, held);
}
inline void Press(QWidget& widget, int x, int y, Qt::MouseButton button) {
  SendMouse(widget, QEvent::MouseButtonPress, x, y, button, button);
}
inline void Release(QWidget& widget, int x, int y, Qt::MouseButton button) {
  SendMouse(widget, QEvent::MouseButtonRelease, x, y, button, Qt::NoButton);
}

}  // namespace kelvora::gui::testing
