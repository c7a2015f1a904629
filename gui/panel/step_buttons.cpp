#include "panel/step_buttons.h"

namespace kelvora::gui {
namespace {

// (left, top)-(right, bottom) with both corners included.
constexpr QRect Inclusive(int left, int top, int right, int bottom) {
  return QRect(QPoint(left, top), QPoint(right, bottom));
}
// Corners as GDI gives them: right and bottom excluded.
constexpr QRect Corners(int left, int top, int right, int bottom) {
  return QRect(left, top, right - left, bottom - top);
}

// Click zones span rows 58-66 and hover zones rows 59-65, except the 1 Min.
// button, which takes clicks only where it shows its caption.
const std::array<StepButtonDef, kStepButtonCount> kButtons = {{
    {StepButton::kRiseClear, 16, Inclusive(16, 58, 24, 66), Inclusive(17, 59, 23, 65),
     "Rise/Clear", Corners(24, 57, 71, 71), 25, 58, Corners(24, 57, 71, 71)},
    {StepButton::kWeek, 64, Inclusive(64, 58, 72, 66), Inclusive(65, 59, 71, 65),
     " +/- 1 Week", Corners(71, 57, 124, 71), 72, 58, Corners(71, 57, 124, 71)},
    // The month zone sits two pixels right of its painted frame.
    {StepButton::kMonth, 40, Inclusive(42, 58, 50, 66), Inclusive(43, 59, 49, 65),
     " +/- 1 Month", Corners(51, 57, 104, 71), 52, 58, Corners(51, 57, 104, 71)},
    {StepButton::kDay, 88, Inclusive(88, 58, 96, 66), Inclusive(89, 59, 95, 65),
     " +/- 1 Day ", Corners(95, 57, 143, 71), 96, 58, Corners(95, 57, 143, 71)},
    {StepButton::kHour, 108, Inclusive(108, 58, 116, 66), Inclusive(109, 59, 115, 65),
     " +/- 1 Hour ", Corners(115, 57, 165, 71), 116, 58, Corners(115, 57, 168, 71)},
    {StepButton::kTenMinutes, 126, Inclusive(126, 58, 134, 66), Inclusive(127, 59, 133, 65),
     " +/- 10 Min. ", Corners(133, 57, 186, 71), 134, 58,
     Corners(133, 57, 186, 71)},
    {StepButton::kOneMinute, 156, Inclusive(157, 59, 163, 65), Inclusive(157, 59, 163, 65),
     " +/- 1 Min. ", Corners(165, 57, 212, 71), 166, 58, Corners(165, 57, 212, 71)},
    {StepButton::kYear, 184, Inclusive(184, 58, 192, 66), Inclusive(185, 59, 191, 65),
     " +/- 1 Year ", Corners(191, 57, 242, 71), 192, 58, Corners(191, 57, 244, 71)},
}};

}  // namespace

const std::array<StepButtonDef, kStepButtonCount>& StepButtons() { return kButtons; }

QRect StepButtonRow() {
  QRect row;
  for (const int left : kStepButtonPaintOrder) {
    row = row.united(QRect(left, kStepButtonTop, kStepButtonSize, kStepButtonSize));
  }
  return row;
}

std::vector<TextSlot> CaptionSlots() {
  std::vector<TextSlot> places;
  for (const StepButtonDef& def : kButtons) {
    // The box's outline is its last column (right() of the corner rectangle).
    places.push_back({QString::fromLatin1(def.caption), def.captionBox.right() - def.textX});
  }
  return places;
}

std::optional<StepButton> StepButtonClickedAt(int x, int y) {
  for (const StepButtonDef& def : kButtons) {
    if (def.clickZone.contains(x, y)) return def.button;
  }
  return std::nullopt;
}

std::optional<StepButton> StepButtonHoveredAt(int x, int y) {
  for (const StepButtonDef& def : kButtons) {
    if (def.hoverZone.contains(x, y)) return def.button;
  }
  return std::nullopt;
}

}  // namespace kelvora::gui
