// Help > Help: the built-in guide stays open beside the main window, has a
// table of contents, and names the keys, the mouse zones, time stepping,
// every figure with its unit, the other windows, the WSJT-X link, the
// coordinate conventions and where each file lives.
#include <QDir>
#include <QListWidget>
#include <QScrollBar>
#include <QTextBrowser>

#include "gui_test_support.h"
#include "help/help_dialog.h"
#include "tick/commands.h"

namespace kelvora::gui::test {
namespace {

TEST_F(WindowTest, HelpCommandShowsTheGuideBesideTheWindow) {
  dialog->show();
  dialog->ActionFor(kCmdHelp)->trigger();
  // Non-modal: the command returns with the guide open and nothing modal.
  auto* help = dialog->findChild<HelpDialog*>();
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->isVisible());
  EXPECT_FALSE(help->isModal());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(help->windowTitle(), QStringLiteral("Kelvora Win Help"));
  dialog->ActionFor(kCmdHelp)->trigger();  // a second time shows the same window
  EXPECT_EQ(dialog->findChildren<HelpDialog*>().size(), 1);

  const QString text = help->Text()->toPlainText();
  // One phrase for each subject the guide must cover.
  for (const char* phrase :
       {"M T H D W O Y", "Shift", "Up arrow", "Esc", "Ctrl+S", "Ctrl+V", "Ctrl+K", "Alt+X",
        "Rise/Clear", "left button", "right button", "earth map", "west positive", "95.36° W",
        "hours", "decimal comma", "Dorvakin.dat", "MyData.dat", "EME.DTA",
        // the figures and their units
        "Sky Temp", "kelvin (K)", "Path Loss", "356 140 km", "Degradation", "My Doppler",
        "Hz at 144 MHz", "Stn2 Doppler", "Stn2 Polarity", "cw or ccw", "Perigee, Apogee",
        "days",
        // the other windows and the WSJT-X link
        "Station Control...", "rotctld", "rigctld", "Plan Skeds...", "Who can I work",
        "double-click", "WSJT-X", "UDP", "10 kHz", "Send to WSJT-X",
        // the settings stores
        "~/.config/Kelvora/", "station-control.ini", "planner.ini"}) {
    EXPECT_TRUE(text.contains(QString::fromUtf8(phrase))) << phrase;
  }
  EXPECT_TRUE(text.contains(QDir::toNativeSeparators(folder.path())));

  // The contents list every section; choosing the last one scrolls to it.
  QListWidget* contents = help->Contents();
  ASSERT_EQ(contents->count(), static_cast<int>(HelpSections().size()));
  EXPECT_EQ(contents->item(3)->text(), QStringLiteral("The figures and their units"));
  help->resize(780, 580);
  QApplication::processEvents();
  QScrollBar* scroll = help->Text()->verticalScrollBar();
  ASSERT_GT(scroll->maximum(), 0);
  contents->setCurrentRow(0);
  const int top = scroll->value();
  contents->setCurrentRow(contents->count() - 1);
  EXPECT_GT(scroll->value(), top + 100);

  QDir().mkpath(QStringLiteral(KELVORA_SCREENSHOT_DIR));
  contents->setCurrentRow(3);
  help->grab().save(QStringLiteral(KELVORA_SCREENSHOT_DIR "/help.png"));
}

TEST(HelpText, FolderIsShownAsText) {
  const QString text = HelpText(QStringLiteral("/home/op/<eme>&co"));
  EXPECT_TRUE(text.contains(QStringLiteral("/home/op/&lt;eme&gt;&amp;co")));
}

}  // namespace
}  // namespace kelvora::gui::test
