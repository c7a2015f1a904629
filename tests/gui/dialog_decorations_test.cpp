// The small dialogs: fixed size, no minimise or maximise button, and a close
// box only on the dialogs whose caption has a system menu.
#include <QDialog>

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

// Every dialog the menu opens, as it is on the screen.
TEST_F(WindowTest, DialogsAreFixedWithoutMinimiseOrMaximise) {
  struct Row {
    const char* name;
    int command;
    bool closeBox;
  } rows[] = {
      {"setup", kCmdPrimarySetup, true},   {"eme_dir", kCmdEmeDir, true},
      {"star_data", kCmdOtherStar, false}, {"station2", kCmdStation2, false},
      {"about", kCmdAbout, true},
  };
  for (const Row& r : rows) {
    Qt::WindowFlags flags;
    bool fixed = false;
    bool seen = false;
    QTimer::singleShot(0, [&] {
      QWidget* shown = QApplication::activeModalWidget();
      if (shown == nullptr || shown == dialog.get()) return;
      seen = true;
      flags = shown->windowFlags();
      fixed = shown->minimumSize() == shown->maximumSize();
      shown->close();
    });
    dialog->RunCommand(r.command);
    ASSERT_TRUE(seen) << r.name;
    EXPECT_TRUE(fixed) << r.name;
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint)) << r.name;
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint)) << r.name;
    EXPECT_EQ(flags.testFlag(Qt::WindowCloseButtonHint), r.closeBox) << r.name;
  }
}

}  // namespace
}  // namespace kelvora::gui::test
