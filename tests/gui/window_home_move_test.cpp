// Setup moves home: the next tick shows the moon and the sun for the new
// place, not the sun for the place the program started at.
#include <QLineEdit>
#include <QPushButton>

#include "astro/sun.h"
#include "gui_test_support.h"
#include "tick/commands.h"

namespace kelvora::gui::test {
namespace {

TEST_F(WindowTest, SunFollowsHomeAfterSetupSaves) {
  Settle();
  ASSERT_EQ(model.home.sunLatitude, 29.42);  // the default home, Houston
  QTimer::singleShot(0, [] {
    QWidget* setup = QApplication::activeModalWidget();
    if (setup == nullptr) return;
    // Berlin: 52.52 N, 13.40 E (west-positive -13.40).
    setup->findChild<QLineEdit*>(QStringLiteral("edit1000"))->setText(QStringLiteral("52.52"));
    setup->findChild<QLineEdit*>(QStringLiteral("edit1001"))->setText(QStringLiteral("-13.40"));
    QTest::mouseClick(setup->findChild<QPushButton*>(QStringLiteral("button1068")),
                      Qt::LeftButton);
  });
  dialog->RunCommand(kCmdPrimarySetup);
  dialog->HandleTimer(kTickTimerId);

  const SunFix berlin = SunPosition(52.52, -13.40, clock, TimeBase{0, 0});
  const SunFix houston = SunPosition(29.42, 95.36, clock, TimeBase{0, 0});
  ASSERT_GT(std::abs(berlin.elevation - houston.elevation), 1.0);
  EXPECT_EQ(BoxText(1029), QString::asprintf("%4.1f deg", berlin.elevation));
  EXPECT_EQ(BoxText(1028), QString::asprintf("%4.1f deg", berlin.azimuth));
}

}  // namespace
}  // namespace kelvora::gui::test
