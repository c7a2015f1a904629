// The program's only main window: value boxes, menu, timers, keyboard and
// colours around the graphic panel.
#pragma once

#include <QDialog>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "panel/panel_widget.h"
#include "state/records.h"
#include "tick/commands.h"
#include "tick/tick.h"
#include "panel/drawing_resources.h"
#include "ui/key_filter.h"

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenuBar;
class QTimer;

namespace kelvora::gui {

class Station2Dialog;

struct TrackerDialogOptions {
  // The clock value; the system's by default. Tests give a fixed one.
  std::function<std::int64_t()> clock;
  // Where "Dorvakin.dat" and "MyData.dat" live and "EME.DTA" is looked for;
  // the current folder when empty.
  QString settingsFolder;
  // Starts the tick and status timers in the constructor (and lets the panel
  // restart the status timer). Tests that drive the ticks themselves turn
  // this off.
  bool startTimers = true;
  // Keeps a record of every repaint request for Invalidations(); off in the
  // program, where it would only grow.
  bool recordInvalidations = false;
  // Shows a failure message to the user; a plain message box by default.
  std::function<void(const QString&)> showMessage;
};

class TrackerDialog : public QDialog, public PanelHost {
  Q_OBJECT
 public:
  TrackerDialog(TrackerModel& model, TrackerDialogOptions options, QWidget* parent = nullptr);
  ~TrackerDialog() override;

  // PanelHost
  void RunTickNow() override;
  void RestartStatusTimer() override;
  void PushTexts() override;
  std::int64_t Clock() const override;

  // One run of the timer handler with `timerId` (0 for a direct refresh).
  // Does nothing when called from inside a tick.
  void HandleTimer(unsigned timerId);
  // Carries out a menu command by its id, as choosing it in the menu does.
  void RunCommand(int commandId);

  PanelWidget* Panel() const { return panel_; }
  QAction* ActionFor(int commandId) const;
  QLineEdit* ValueBox(int controlId) const;
  QTimer* TickTimer() const { return tickTimer_; }
  QTimer* StatusTimer() const { return statusTimer_; }
  QTimer* StepTimer() const { return stepTimer_; }

  // With recordInvalidations: every rectangle handed to the panel for
  // repainting since the last ClearInvalidations(), in order; the whole
  // client area counts as one.
  const std::vector<PixelRect>& Invalidations() const { return invalidations_; }
  void ClearInvalidations() { invalidations_.clear(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildMenu();
  void BuildControls();
  void StartTimers();
  void ShowMessage(const QString& text);

  bool LeaveIdleMenuBar(QEvent* event);
  bool HandleKey(QKeyEvent* event);
  bool ApplyKey(const KeyMessage& message);
  void ApplyHeldRelease();
  bool IsFirstKeyReceiver(QObject* watched) const;
  bool IsOwnTimerEvent(QObject* watched, QEvent* event) const;

  void Invalidate(const PixelRect& rect);
  void PushTextSet(const DisplayTexts& texts);
  void ApplyCommand(const CommandOutcome& outcome, bool setsSkyViewBox);
  void SetMenuCheck(int commandId, bool checked);
  void CheckSourceItem(int commandId);
  void UpdateSteppedColours();
  void UpdateTitle();
  void ToggleSkyViewBox();
  void SaveCopy();
  void ShowAbout();
  void ShowHelp();
  void OpenStation2();

  TrackerModel& model_;
  TrackerDialogOptions options_;
  DrawingResources resources_;
  PanelWidget* panel_ = nullptr;
  QMenuBar* menuBar_ = nullptr;
  std::map<int, QAction*> actions_;
  std::array<QWidget*, kDisplayTextCount> textControls_{};
  std::map<int, QLineEdit*> valueBoxes_;
  QCheckBox* skyViewBox_ = nullptr;
  Station2Dialog* station2Dialog_ = nullptr;
  QTimer* tickTimer_ = nullptr;
  QTimer* statusTimer_ = nullptr;
  QTimer* stepTimer_ = nullptr;
  // A key release waiting for kRepeatPairMs to show whether it was an
  // auto-repeat (a press of the same key follows) or the key going up.
  QTimer* releaseTimer_ = nullptr;
  KeyMessage heldRelease_;
  quint64 heldReleaseTimestamp_ = 0;
  bool inTick_ = false;
  bool shownStepped_ = false;
  std::vector<PixelRect> invalidations_;
};

}  // namespace kelvora::gui
