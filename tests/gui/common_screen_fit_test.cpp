// Windows opened from the main window lie wholly on the screen, title bar
// included, at every screen size from 1024 x 768 up.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include "common/screen_fit.h"
#include "help/help_dialog.h"
#include "plan/plan_window.h"

namespace kelvora::gui::test {
namespace {

TEST(ScreenFit, WindowAndFrameLieWithinTheAvailableScreen) {
  struct Row {
    const char* name;
    QRect available;
  };
  const Row rows[] = {
      {"xga", {0, 0, 1024, 768}},
      {"xga_with_top_panel", {0, 30, 1024, 738}},
      {"wide_laptop_with_bottom_panel", {0, 0, 1366, 728}},
      {"second_monitor_full_hd", {1920, 0, 1920, 1080}},
      {"left_dock", {64, 0, 1216, 1024}},
  };
  const QSize preferred(1000, 700);
  const QSize minimum(640, 480);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const QRect client = FitWithin(preferred, minimum, kAssumedFrame, row.available);
    const QRect framed = client.marginsAdded(kAssumedFrame);
    EXPECT_TRUE(row.available.contains(framed)) << framed.x() << "," << framed.y() << " "
                                                << framed.width() << "x" << framed.height();
    // As large as wanted where there is room, never smaller than needed.
    const QSize room = row.available.marginsRemoved(kAssumedFrame).size();
    EXPECT_EQ(client.width(), std::min(preferred.width(), room.width()));
    EXPECT_EQ(client.height(), std::min(preferred.height(), room.height()));
    EXPECT_GE(client.width(), minimum.width());
    EXPECT_GE(client.height(), minimum.height());
  }
}

TEST(ScreenFit, PlannerAndHelpNeedNoMoreThanTheSmallestScreen) {
  // Qt will not make a window smaller than its layout's minimum: that
  // minimum must leave room on a 1024 x 768 screen.
  const QSize room = QRect(0, 0, 1024, 768).marginsRemoved(kAssumedFrame).size();
  TrackerModel model;
  QTemporaryDir store;
  PlanWindow planner(model, QStringLiteral("EME.DTA"), [] { return std::int64_t{1796688000}; },
                     nullptr,
                     std::make_unique<QSettings>(store.filePath(QStringLiteral("p.ini")),
                                                 QSettings::IniFormat));
  HelpDialog help(QStringLiteral("/tmp"));
  for (QWidget* window : {static_cast<QWidget*>(&planner), static_cast<QWidget*>(&help)}) {
    SCOPED_TRACE(window->objectName().toStdString());
    EXPECT_LE(window->minimumSizeHint().width(), room.width());
    EXPECT_LE(window->minimumSizeHint().height(), room.height());
  }
}

}  // namespace
}  // namespace kelvora::gui::test
