// Helpers for driving the secondary dialogs the way a user does: typing into
// a field and moving the focus on, with message boxes recorded instead of
// shown.
#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QWidget>

#include <ostream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ui/dialogs/dialog_form.h"

// Readable failure messages for texts.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace kelvora::gui::testing {

struct RecordedMessage {
  QMessageBox::Icon icon;
  QString caption;
  QString text;
};

// Collects every message a dialog shows.
class MessageRecorder {
 public:
  MessageHook Hook() {
    return [this](QMessageBox::Icon icon, const QString& caption, const QString& text) {
      messages.push_back({icon, caption, text});
    };
  }
  std::vector<RecordedMessage> messages;
};

// Focus events are only delivered inside the active window.
inline void ShowActive(QWidget& window) {
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

// Replaces a field's text by typing, as a user would.
inline void TypeInto(QLineEdit* edit, const QString& text) {
  ASSERT_NE(edit, nullptr);
  edit->setFocus(Qt::MouseFocusReason);
  QApplication::processEvents();
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Delete);
  QTest::keyClicks(edit, text);
}

// Moves the focus to another control; the field that had it acts on losing
// it, and a refused value gets the focus back once events run.
inline void MoveFocusTo(QWidget* widget) {
  ASSERT_NE(widget, nullptr);
  widget->setFocus(Qt::TabFocusReason);
  QApplication::processEvents();
  QApplication::processEvents();
}

template <typename T>
T* Child(QWidget& parent, const char* name) {
  return parent.findChild<T*>(QString::fromLatin1(name));
}

}  // namespace kelvora::gui::testing
