// The row of eight small time-step buttons above the value boxes: where each
// is painted, where it takes clicks, where it shows its caption, and what it
// does. All coordinates are client pixels of the main window.
#pragma once

#include <QRect>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "ui/drawing_resources.h"

namespace kelvora::gui {

// Buttons in the order the hover test visits them.
enum class StepButton : int {
  kRiseClear = 0,
  kWeek,
  kMonth,
  kDay,
  kHour,
  kTenMinutes,
  kOneMinute,
  kYear,
};
inline constexpr int kStepButtonCount = 8;

struct StepButtonDef {
  StepButton button;
  int frameLeft;            // painted frame: frameLeft..frameLeft + 8, rows 58..66
  QRect clickZone;          // inclusive limits
  QRect hoverZone;          // inclusive limits (the table's exclusive limits moved in by one)
  std::int64_t stepSeconds; // left click adds it, right click subtracts it; 0 for Rise/Clear
  const char* caption;      // shown in fixedFont while the pointer hovers
  QRect captionBox;         // corners as given, right and bottom exclusive
  int textX;
  int textY;
  QRect eraseRect;  // invalidated when the caption is taken away
};

inline constexpr int kStepButtonSize = 8;
inline constexpr int kStepButtonTop = 58;

// Indexed by StepButton.
const std::array<StepButtonDef, kStepButtonCount>& StepButtons();

// Frame left edges in the order they are painted.
inline constexpr std::array<int, kStepButtonCount> kStepButtonPaintOrder = {108, 88, 126, 156,
                                                                            184, 64,  40,  16};

// Order in which a move outside every hover zone looks for a caption to erase.
inline constexpr std::array<StepButton, kStepButtonCount> kCaptionEraseOrder = {
    StepButton::kRiseClear, StepButton::kWeek,       StepButton::kDay,  StepButton::kHour,
    StepButton::kTenMinutes, StepButton::kYear,      StepButton::kMonth, StepButton::kOneMinute};

// The row of the eight button frames.
QRect StepButtonRow();

// Each caption with the room inside its box: from its text column to the
// box's right outline.
std::vector<TextSlot> CaptionSlots();

std::optional<StepButton> StepButtonClickedAt(int x, int y);
std::optional<StepButton> StepButtonHoveredAt(int x, int y);

inline const StepButtonDef& DefOf(StepButton button) {
  return StepButtons()[static_cast<std::size_t>(button)];
}

}  // namespace kelvora::gui
