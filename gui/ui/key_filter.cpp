#include "ui/key_filter.h"

#include <Qt>

#include "panel/step_buttons.h"

namespace kelvora::gui {

KeyAction PreTranslateKey(TrackerModel& model, const KeyMessage& message, std::int64_t clock) {
  KeyAction action;
  if (message.key == Qt::Key_X && message.altDown) action.endDialog = true;
  // Alt+letter belongs to the menu bar: nothing more happens here.
  if (message.altDown) return action;
  if (message.release) {
    model.tracking.stepPending = false;
    return action;
  }

  TrackingState& tracking = model.tracking;
  switch (message.key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      action.consumed = true;
      return action;
    case Qt::Key_Escape:
      // The keys the window acts on go no further: a focused value box
      // would otherwise also take them as typing (a "d" after the date).
      action.consumed = true;
      if (ReturnToLiveTime(model)) action.invalidate.push_back(kMapInsideRepaintRect);
      break;
    case Qt::Key_M:
    case Qt::Key_T:
    case Qt::Key_H:
    case Qt::Key_D:
    case Qt::Key_W:
    case Qt::Key_O:
    case Qt::Key_Y:
      if (message.ctrlDown) break;
      action.consumed = true;
      if (tracking.stepPending) break;
      {
        const std::int64_t step = StepSecondsForKey(message.key);
        StepTime(model, message.shiftDown ? -step : step, clock);
      }
      action.startStepTimer = true;
      tracking.stepPending = true;
      if (message.key == Qt::Key_M) {
        if (model.view.sunView) {
          model.view.sunViewRefresh = true;
        } else {
          model.view.moonViewRefresh = true;
        }
      }
      break;
    case Qt::Key_Up:
      action.consumed = true;
      if (tracking.stepPending) break;
      // No crossing: the status line says so.
      if (message.ctrlDown || !model.station2.IsSet()) {
        static_cast<void>(
            JumpToHorizonCrossing(model, model.home.latitude, model.home.longitude, clock));
      } else {
        static_cast<void>(JumpToHorizonCrossing(model, model.station2.latitude,
                                                model.station2.longitude, clock));
      }
      action.startStepTimer = true;
      tracking.stepPending = true;
      break;
    case Qt::Key_S:
      if (message.ctrlDown) action.command = ToggleSunView(model);
      action.consumed = message.ctrlDown;
      return action;
    case Qt::Key_V:
      if (message.ctrlDown) action.command = ToggleMap(model);
      action.consumed = message.ctrlDown;  // and no paste into a value box
      return action;
    case Qt::Key_K:
      if (message.ctrlDown) ToggleDistanceUnit(model);
      action.consumed = message.ctrlDown;
      return action;
    default:
      break;
  }
  action.refresh = true;
  return action;
}

}  // namespace kelvora::gui
