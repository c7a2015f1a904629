// Shared set-up of the window tests: a main window over a fresh model, a
// fixed clock, a temporary settings folder and no automatic timers.
#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "state/records.h"
#include "ui/key_filter.h"
#include "ui/tracker_dialog.h"

namespace kelvora::gui::test {

// 2024-01-15 12:00:00 as a clock value: 54 years since 1970 with 13 leap
// days, plus 14 days, is 19737 days; 19737 x 86400 + 12 x 3600.
inline constexpr std::int64_t kFixedClock = 1705320000;

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override { MakeWindow(false); }

  void MakeWindow(bool startTimers) {
    ASSERT_TRUE(folder.isValid());
    dialog.reset();
    TrackerDialogOptions options;
    options.clock = [this] { return clock; };
    options.settingsFolder = folder.path();
    options.startTimers = startTimers;
    options.recordInvalidations = true;
    options.showMessage = [this](const QString& text) { messages.push_back(text); };
    dialog = std::make_unique<TrackerDialog>(model, std::move(options));
  }

  // Where a real keystroke would go first: the focus widget of the window,
  // or the window itself.
  QWidget* KeyTarget() const {
    QWidget* focus = QApplication::focusWidget();
    return focus != nullptr && focus->window() == dialog.get() ? focus : dialog.get();
  }
  void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyPress(KeyTarget(), key, modifiers);
  }
  // A release counts once no press of the same key has followed it for a
  // moment (a release with a press at once is an auto-repeat): wait that out.
  void Release(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyRelease(KeyTarget(), key, modifiers);
    QTest::qWait(kRepeatPairMs + 20);
  }
  void Click(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(KeyTarget(), key, modifiers);
  }

  // One tick of the tick timer, then the record of repaints cleared, so a
  // test sees only what its own action repaints.
  void Settle() {
    dialog->HandleTimer(kTickTimerId);
    dialog->ClearInvalidations();
  }

  int CountInvalidations(const PixelRect& rect) const {
    int count = 0;
    for (const PixelRect& r : dialog->Invalidations()) count += r == rect ? 1 : 0;
    return count;
  }

  bool IsChecked(int commandId) const { return dialog->ActionFor(commandId)->isChecked(); }

  QString BoxText(int controlId) const { return dialog->ValueBox(controlId)->text(); }

  TrackerModel model;
  QTemporaryDir folder;
  std::int64_t clock = kFixedClock;
  std::vector<QString> messages;
  std::unique_ptr<TrackerDialog> dialog;
};

}  // namespace kelvora::gui::test
