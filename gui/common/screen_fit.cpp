#include "common/screen_fit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace kelvora::gui {

QRect FitWithin(QSize preferred, QSize minimum, QMargins frame, const QRect& available) {
  const QSize room(available.width() - frame.left() - frame.right(),
                   available.height() - frame.top() - frame.bottom());
  // The minimum wins over the preference, the screen over both.
  const QSize size(std::min(std::max(preferred.width(), minimum.width()), room.width()),
                   std::min(std::max(preferred.height(), minimum.height()), room.height()));
  const int left =
      available.left() + frame.left() + std::max(0, (room.width() - size.width()) / 2);
  const int top = available.top() + frame.top() + std::max(0, (room.height() - size.height()) / 2);
  return {QPoint(left, top), size};
}

void FitOnScreen(QWidget* window, QSize preferred) {
  QScreen* screen = window->isVisible() || window->parentWidget() == nullptr
                        ? window->screen()
                        : window->parentWidget()->screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  if (preferred.isEmpty()) preferred = window->sizeHint();
  // A window already framed knows its frame; a new one assumes a usual one.
  QMargins frame = kAssumedFrame;
  if (window->isVisible()) {
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    const QMargins actual(inner.left() - outer.left(), inner.top() - outer.top(),
                          outer.right() - inner.right(), outer.bottom() - inner.bottom());
    if (actual.top() > 0) frame = actual;
  }
  const QRect fitted =
      FitWithin(preferred, window->minimumSizeHint(), frame, screen->availableGeometry());
  window->resize(fitted.size());
  // A window's position is that of its frame.
  window->move(fitted.topLeft() - QPoint(frame.left(), frame.top()));
}

}  // namespace kelvora::gui
