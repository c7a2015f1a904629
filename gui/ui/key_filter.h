// The main window's keyboard: every key message is looked at here before it
// is dispatched to the control that has the focus.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "state/records.h"
#include "tick/commands.h"
#include "tick/tick.h"

namespace kelvora::gui {

struct KeyMessage {
  int key = 0;             // Qt::Key code (letters are their upper-case code)
  bool release = false;    // a key going up
  bool altDown = false;    // Alt was held for this keystroke
  bool shiftDown = false;  // Shift held at this moment, not as queued
  bool ctrlDown = false;   // Ctrl held at this moment, not as queued
};

// What the window must do with a key message, in the order the fields are
// listed; the model has already been changed.
struct KeyAction {
  bool endDialog = false;  // Alt+X: end the window as with OK
  std::optional<CommandOutcome> command;  // Ctrl+S, Ctrl+V: marks, box, texts, repaint
  std::vector<PixelRect> invalidate;      // each with erasing
  bool startStepTimer = false;            // (re)start the 500 ms step timer
  bool refresh = false;                   // run the tick with id 0 at once
  bool consumed = false;                  // the key goes no further (the window acted on it)
};

// Seconds one press of a time-step key adds (M T H D W O Y), 0 for any other key.
std::int64_t StepSecondsForKey(int key);

// How long a key release waits for a press of the same key before it counts
// as the key really going up. X11 sends an auto-repeat as a release and a
// press of the same moment, and Qt marks only some of those releases as
// auto-repeats; an unmarked one must not clear the pending step, or a held
// key would step on every repeat instead of every step-timer period.
inline constexpr int kRepeatPairMs = 40;

// The rectangle Esc repaints when it returns to live time.
inline constexpr PixelRect kLiveTimeRect{1, 165, 430, 475};

// Applies the keyboard rules to `model` for one key message at clock value
// `clock` and says what the window must do.
KeyAction PreTranslateKey(TrackerModel& model, const KeyMessage& message, std::int64_t clock);

}  // namespace kelvora::gui
