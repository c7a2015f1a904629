// Windows opened from the main window must lie wholly on the screen they open
// on, title bar included, at any screen from 1024 x 768 up.
#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

namespace kelvora::gui {

// Room for a window manager's frame around the client area, used until the
// window has a frame of its own: a title bar and thin borders.
inline constexpr QMargins kAssumedFrame{4, 32, 4, 4};

// The client geometry for a window that would like `preferred` and needs at
// least `minimum`, framed by `frame`, in the `available` part of a screen:
// never larger than the screen leaves room for, centred in it.
QRect FitWithin(QSize preferred, QSize minimum, QMargins frame, const QRect& available);

// Sizes and places a top-level window on its screen (its parent's screen for
// a window not shown yet): `preferred`, or its size hint when empty.
void FitOnScreen(QWidget* window, QSize preferred = {});

}  // namespace kelvora::gui
