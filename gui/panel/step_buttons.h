// The row of eight small time-step buttons above the value boxes: where each
// is painted, where it takes clicks, where it shows its caption, and what it
// does. All coordinates are client pixels of the main window.
#pragma once

#include <QRect>
#include <Qt>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "panel/drawing_resources.h"

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

// The time steps of the keyboard and of the buttons, side by side. A key
// press adds keySeconds (Shift subtracts them); a left click on the button
// adds buttonSeconds, a right click subtracts them. The two agree except for
// the month: 31 days on the O key, 30 on the button.
struct TimeStep {
  int key;  // Qt::Key
  std::int64_t keySeconds;
  StepButton button;
  std::int64_t buttonSeconds;
};

inline constexpr std::int64_t kMinuteSeconds = 60;
inline constexpr std::int64_t kHourSeconds = 3600;
inline constexpr std::int64_t kDaySeconds = 86400;

inline constexpr std::array<TimeStep, 7> kTimeSteps = {{
    {Qt::Key_M, kMinuteSeconds, StepButton::kOneMinute, kMinuteSeconds},
    {Qt::Key_T, 10 * kMinuteSeconds, StepButton::kTenMinutes, 10 * kMinuteSeconds},
    {Qt::Key_H, kHourSeconds, StepButton::kHour, kHourSeconds},
    {Qt::Key_D, kDaySeconds, StepButton::kDay, kDaySeconds},
    {Qt::Key_W, 7 * kDaySeconds, StepButton::kWeek, 7 * kDaySeconds},
    {Qt::Key_O, 31 * kDaySeconds, StepButton::kMonth, 30 * kDaySeconds},
    {Qt::Key_Y, 365 * kDaySeconds, StepButton::kYear, 365 * kDaySeconds},
}};

// Seconds one press of a time-step key adds, 0 for any other key.
constexpr std::int64_t StepSecondsForKey(int key) {
  for (const TimeStep& step : kTimeSteps) {
    if (step.key == key) return step.keySeconds;
  }
  return 0;
}

// Seconds a left click on a button adds, 0 for Rise/Clear (which searches).
constexpr std::int64_t StepSecondsForButton(StepButton button) {
  for (const TimeStep& step : kTimeSteps) {
    if (step.button == button) return step.buttonSeconds;
  }
  return 0;
}

struct StepButtonDef {
  StepButton button;
  int frameLeft;            // painted frame: frameLeft..frameLeft + 8, rows 58..66
  QRect clickZone;          // inclusive limits
  QRect hoverZone;          // inclusive limits (the table's exclusive limits moved in by one)
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
