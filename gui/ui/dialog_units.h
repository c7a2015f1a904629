// Dialog templates are laid out in dialog units; this is the one place that
// turns them into pixels.
#pragma once

#include <QRect>

namespace kelvora::gui {

struct DialogUnitScale {
  double pixelsPerUnitX;
  double pixelsPerUnitY;
};

// The main window's "System" 8 font: 2 pixels per unit both ways.
inline constexpr DialogUnitScale kMainDialogScale{2.0, 2.0};
// The other dialogs' "MS Sans Serif" 8 font: 1.5 across, 1.625 down.
inline constexpr DialogUnitScale kSansSerifDialogScale{1.5, 1.625};

// (x, y, width, height) in dialog units to a pixel rectangle (truncating).
inline QRect DialogRect(const DialogUnitScale& scale, int x, int y, int width, int height) {
  const int left = static_cast<int>(x * scale.pixelsPerUnitX);
  const int top = static_cast<int>(y * scale.pixelsPerUnitY);
  const int right = static_cast<int>((x + width) * scale.pixelsPerUnitX);
  const int bottom = static_cast<int>((y + height) * scale.pixelsPerUnitY);
  return QRect(left, top, right - left, bottom - top);
}

}  // namespace kelvora::gui
