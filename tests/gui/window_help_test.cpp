// Help > Help: the built-in guide names the keys, the mouse zones, time
// stepping, the coordinate conventions and the folder of the files.
#include <QDir>
#include <QTextBrowser>

#include "gui_test_support.h"
#include "help/help_dialog.h"
#include "tick/commands.h"

namespace kelvora::gui::test {
namespace {

TEST_F(WindowTest, HelpCommandShowsTheGuide) {
  QString title;
  QString text;
  Qt::WindowFlags flags;
  bool fixed = false;
  QImage picture;
  QTimer::singleShot(0, [&] {
    auto* help = qobject_cast<HelpDialog*>(QApplication::activeModalWidget());
    if (help == nullptr) return;
    title = help->windowTitle();
    text = help->findChild<QTextBrowser*>(QStringLiteral("helpText"))->toPlainText();
    flags = help->windowFlags();
    fixed = help->minimumSize() == help->maximumSize();
    picture = help->grab().toImage();
    help->reject();
  });
  dialog->ActionFor(kCmdHelp)->trigger();
  ASSERT_EQ(title, QStringLiteral("Kelvora Win Help"));
  // One phrase for each subject the guide must cover.
  for (const char* phrase :
       {"M T H D W O Y", "Shift", "Up arrow", "Esc", "Ctrl+S", "Ctrl+V", "Ctrl+K", "Alt+X",
        "Rise/Clear", "left button", "right button", "earth map", "west positive",
        "95.36° W", "hours", "decimal comma", "Dorvakin.dat", "MyData.dat", "EME.DTA"}) {
    EXPECT_TRUE(text.contains(QString::fromUtf8(phrase))) << phrase;
  }
  EXPECT_TRUE(text.contains(QDir::toNativeSeparators(folder.path())));
  EXPECT_TRUE(fixed);
  EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
  ASSERT_FALSE(picture.isNull());
  QDir().mkpath(QStringLiteral(KELVORA_SCREENSHOT_DIR));
  picture.save(QStringLiteral(KELVORA_SCREENSHOT_DIR "/help.png"));
}

TEST(HelpText, FolderIsShownAsText) {
  const QString text = HelpText(QStringLiteral("/home/op/<eme>&co"));
  EXPECT_TRUE(text.contains(QStringLiteral("/home/op/&lt;eme&gt;&amp;co")));
}

}  // namespace
}  // namespace kelvora::gui::test
