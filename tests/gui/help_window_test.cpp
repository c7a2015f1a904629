// Help > Help: the help window says where the files are and how to use
// another folder.
#include <QDir>
#include <QImage>

#include "gui_test_support.h"
#include "help/help_window.h"
#include "tick/commands.h"

namespace kelvora::gui::test {
namespace {

TEST_F(WindowTest, HelpCommandOpensOneHelpWindowNamingTheFolders) {
  const QByteArray savedXdg = qgetenv("XDG_DATA_HOME");
  const bool hadXdg = qEnvironmentVariableIsSet("XDG_DATA_HOME");
  qputenv("XDG_DATA_HOME", "/srv/operator-data");

  dialog->RunCommand(kCmdHelp);
  const auto windows = dialog->findChildren<HelpWindow*>();
  ASSERT_EQ(windows.size(), 1);
  HelpWindow* help = windows.front();
  EXPECT_TRUE(help->isVisible());
  const QString text = help->Text();
  EXPECT_TRUE(text.contains(folder.path())) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("/srv/operator-data/kelvora")));
  for (const char* needed : {"Dorvakin.dat", "MyData.dat", "EME.DTA", "west positive",
                             "open a terminal there and run kelvora", "--user-folder"}) {
    EXPECT_TRUE(text.contains(QString::fromUtf8(needed))) << needed;
  }

  // A second Help brings the same window back instead of another.
  help->hide();
  dialog->RunCommand(kCmdHelp);
  EXPECT_EQ(dialog->findChildren<HelpWindow*>().size(), 1);
  EXPECT_TRUE(help->isVisible());

  // What the user sees: dark text on a light page, saved for a look.
  QImage shot(help->size(), QImage::Format_RGB32);
  help->render(&shot);
  QDir().mkpath(QStringLiteral(KELVORA_SCREENSHOT_DIR));
  shot.save(QStringLiteral(KELVORA_SCREENSHOT_DIR "/help_window.png"));
  int dark = 0;
  for (int y = 0; y < shot.height(); ++y) {
    for (int x = 0; x < shot.width(); ++x) dark += qGray(shot.pixel(x, y)) < 96 ? 1 : 0;
  }
  EXPECT_GT(dark, 2000);  // several paragraphs of text, not an empty page

  if (hadXdg) {
    qputenv("XDG_DATA_HOME", savedXdg);
  } else {
    qunsetenv("XDG_DATA_HOME");
  }
}

TEST(HelpWindow, WithoutAnyUserFolderItSaysWhy) {
  const HelpWindow help(QStringLiteral("/home/op/eme"), QString());
  EXPECT_TRUE(help.Text().contains(QStringLiteral("/home/op/eme")));
  EXPECT_TRUE(help.Text().contains(QStringLiteral("neither XDG_DATA_HOME nor HOME is set")));
}

}  // namespace
}  // namespace kelvora::gui::test
