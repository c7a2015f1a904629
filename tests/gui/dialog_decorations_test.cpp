// The small dialogs and message boxes: fixed size, no minimise or maximise
// button, and a close box only on the dialogs whose caption has a system menu.
#include <QDialog>
#include <QFontMetrics>
#include <QMessageBox>
#include <QWindow>

#include "gui_test_support.h"
#include "help/help_dialog.h"
#include "tick/commands.h"
#include "ui/window_decorations.h"

namespace kelvora::gui::test {
namespace {

TEST(DialogDecorations, MotifHintsAskForTitleAndAtMostAClose) {
  // Bits of the Motif hints: functions all 1, resize 2, minimise 8,
  // maximise 16; decorations minimise 32, maximise 64.
  constexpr std::uint32_t kAll = 1u;
  constexpr std::uint32_t kResize = 2u;
  constexpr std::uint32_t kMinimize = 8u;
  constexpr std::uint32_t kMaximize = 16u;
  struct Row {
    const char* name;
    bool closeBox;
    MotifHints hints;
  } rows[] = {
      // Both parts of the hints given; move only; border and title.
      {"caption_without_system_menu", false, {3u, 4u, 2u | 8u, 0, 0u}},
      // Move and close; border, title and the window menu.
      {"caption_with_close_box", true, {3u, 4u | 32u, 2u | 8u | 16u, 0, 0u}},
  };
  for (const Row& r : rows) {
    const MotifHints hints = FixedDialogHints(r.closeBox);
    EXPECT_EQ(hints, r.hints) << r.name;
    EXPECT_EQ(hints.functions & (kAll | kResize | kMinimize | kMaximize), 0u) << r.name;
    EXPECT_EQ(hints.decorations & (32u | 64u), 0u) << r.name;
  }
}

// Under a window manager that gives every dialog three title-bar buttons,
// each small dialog is widened just enough for its whole title; one whose
// title already fits keeps its template's width.
TEST(DialogDecorations, TitleFitWidthShowsTheWholeTitle) {
  QFont bold = QApplication::font();
  bold.setBold(true);
  const QFontMetrics metrics(bold);
  struct Row {
    const char* title;
    int width;  // the template's, in pixels
  } rows[] = {{"Setup Data", 160},        {"Station2 Location", 202},
              {"Search  EME Dir", 150},   {"Enter Star Data", 120},
              {"Kelvora Win Beta Ver 1.10", 229}, {"Setup Data", 600}};
  for (const Row& r : rows) {
    const QString title = QString::fromLatin1(r.title);
    const int width = TitleFitWidth(metrics, title, r.width);
    EXPECT_GE(width, r.width) << r.title;
    EXPECT_GE(width - kTitleBarRoom, metrics.horizontalAdvance(title)) << r.title;
    // No wider than needed.
    if (width > r.width) {
      EXPECT_EQ(width - kTitleBarRoom, metrics.horizontalAdvance(title)) << r.title;
    }
  }
  EXPECT_EQ(TitleFitWidth(metrics, QStringLiteral("Setup Data"), 600), 600);
}

// Every dialog the menu opens, and a message box, as they are on the screen:
// fixed, owned by the main window (a transient of it), no minimise or
// maximise button.
TEST_F(WindowTest, DialogsAndMessageBoxesAreFixedTransientsWithoutMinimiseOrMaximise) {
  constexpr int kMessageBox = -1;
  struct Row {
    const char* name;
    int command;
    bool closeBox;
  } rows[] = {
      {"setup", kCmdPrimarySetup, true},   {"eme_dir", kCmdEmeDir, true},
      {"star_data", kCmdOtherStar, false}, {"station2", kCmdStation2, false},
      {"about", kCmdAbout, true},          {"message_box", kMessageBox, true},
  };
  dialog->show();
  for (const Row& r : rows) {
    Qt::WindowFlags flags;
    bool fixed = false;
    bool seen = false;
    bool transient = false;
    QTimer::singleShot(0, [&] {
      QWidget* shown = QApplication::activeModalWidget();
      if (shown == nullptr || shown == dialog.get()) return;
      seen = true;
      flags = shown->windowFlags();
      fixed = shown->minimumSize() == shown->maximumSize();
      transient = shown->windowHandle() != nullptr &&
                  shown->windowHandle()->transientParent() == dialog->windowHandle();
      shown->close();
    });
    if (r.command == kMessageBox) {
      ShowMessageBox(dialog.get(), QMessageBox::Warning, QStringLiteral("Kelvora Win"),
                     QStringLiteral("Please enter a number."));
    } else {
      dialog->RunCommand(r.command);
    }
    ASSERT_TRUE(seen) << r.name;
    EXPECT_TRUE(fixed) << r.name;
    EXPECT_TRUE(transient) << r.name;
    EXPECT_TRUE(flags.testFlag(Qt::Dialog)) << r.name;
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint)) << r.name;
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint)) << r.name;
    EXPECT_EQ(flags.testFlag(Qt::WindowCloseButtonHint), r.closeBox) << r.name;
  }
}

}  // namespace
}  // namespace kelvora::gui::test
