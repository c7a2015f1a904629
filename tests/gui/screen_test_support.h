// Window tests that read what is on the screen from the window's backing
// store, without repainting anything, and compare it with a fresh painting
// of the state the program holds. (A grab would repaint the whole window and
// hide every stale picture.)
#pragma once

#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include "gui_test_support.h"

namespace kelvora::gui::test {

class ScreenTest : public WindowTest {
 protected:
  void ShowAndSettle() {
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    Flush();
  }

  // Lets the window carry out the repaints it asked for, as its event loop
  // would, and nothing more.
  void Flush() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
  }

  // The panel as it stands in the backing store.
  QImage OnScreen() {
    Flush();
    const QPixmap shot = dialog->screen()->grabWindow(dialog->winId());
    const QPoint origin = dialog->Panel()->mapTo(dialog.get(), QPoint(0, 0));
    return shot.toImage()
        .convertToFormat(QImage::Format_RGB32)
        .copy(QRect(origin, dialog->Panel()->size()));
  }

  void SaveWindow(const QString& name) {
    const QByteArray fromEnvironment = qgetenv("KELVORA_SCREENSHOT_DIR");
    const QString folder = fromEnvironment.isEmpty() ? QStringLiteral(KELVORA_SCREENSHOT_DIR)
                                                     : QString::fromLocal8Bit(fromEnvironment);
    QDir().mkpath(folder);
    Flush();
    dialog->screen()->grabWindow(dialog->winId()).save(QDir(folder).filePath(name));
  }

  // Pixels of `area` that differ between the screen and a fresh painting of
  // the panel. The value boxes and other controls lie over the panel and are
  // no part of its painting: their pixels are left out.
  int StalePixels(const QImage& screen, const QRect& area) {
    const QImage fresh = dialog->Panel()->RenderToImage();
    QRegion controls;
    for (QWidget* child : dialog->Panel()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (child->isVisible() && !child->testAttribute(Qt::WA_TransparentForMouseEvents)) {
        controls += child->geometry();
      }
    }
    int differing = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
      for (int x = area.left(); x <= area.right(); ++x) {
        if (controls.contains(QPoint(x, y))) continue;
        differing += screen.pixel(x, y) != fresh.pixel(x, y) ? 1 : 0;
      }
    }
    return differing;
  }

  // Steps the clock by a day with the D key, as a user tapping it.
  void DayStep() {
    Press(Qt::Key_D);
    Release(Qt::Key_D);
  }
};

}  // namespace kelvora::gui::test
