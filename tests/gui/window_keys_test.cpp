// The main window's keyboard: time steps, live time, horizon jumps, view,
// map and unit toggles, and the rules that order them.
#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProxyStyle>
#include <QSignalSpy>

#include <cstring>
#include <functional>
#include <limits>

#include "astro/rise_set.h"
#include "gui_test_support.h"
#include "tick/commands.h"
#include "ui/key_filter.h"

namespace kelvora::gui::test {
namespace {

// Seconds per key, from the keyboard's step table: a minute, ten minutes, an
// hour, a day, a week, 31 days and 365 days.
struct StepRow {
  const char* name;
  Qt::Key key;
  std::int32_t seconds;
};

class StepKeyTest : public WindowTest, public ::testing::WithParamInterface<StepRow> {};

TEST_P(StepKeyTest, StepsForwardThenBackWithShift) {
  const StepRow& row = GetParam();
  Settle();
  Press(row.key);
  EXPECT_EQ(model.tracking.timeOffset, row.seconds);
  EXPECT_TRUE(model.tracking.stepPending);
  EXPECT_TRUE(dialog->StepTimer()->isActive());
  EXPECT_EQ(dialog->StepTimer()->interval(), 500);
  Release(row.key);
  EXPECT_FALSE(model.tracking.stepPending);
  Press(row.key, Qt::ShiftModifier);
  EXPECT_EQ(model.tracking.timeOffset, 0);
}

INSTANTIATE_TEST_SUITE_P(Keys, StepKeyTest,
                         ::testing::Values(StepRow{"minute_m", Qt::Key_M, 60},
                                           StepRow{"ten_minutes_t", Qt::Key_T, 600},
                                           StepRow{"hour_h", Qt::Key_H, 3600},
                                           StepRow{"day_d", Qt::Key_D, 86400},
                                           StepRow{"week_w", Qt::Key_W, 604800},
                                           StepRow{"month_o", Qt::Key_O, 2678400},
                                           StepRow{"year_y", Qt::Key_Y, 31536000}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowTest, StepThenShiftStepBeforeReleaseTakesOneStep) {
  Settle();
  Press(Qt::Key_D);
  Press(Qt::Key_D, Qt::ShiftModifier);  // still held: blocked by the pending step
  EXPECT_EQ(model.tracking.timeOffset, 86400);
  Release(Qt::Key_D, Qt::ShiftModifier);
  Press(Qt::Key_D, Qt::ShiftModifier);
  EXPECT_EQ(model.tracking.timeOffset, 0);
}

TEST_F(WindowTest, HeldKeyStepsAgainAfterTheStepTimer) {
  Settle();
  Press(Qt::Key_H);
  QTest::keyPress(KeyTarget(), Qt::Key_H, Qt::NoModifier, -1);  // nothing new while pending
  EXPECT_EQ(model.tracking.timeOffset, 3600);
  // An auto-repeat release comes before each repeated press on some window
  // systems; the key is still down, so the step stays pending.
  QKeyEvent repeatRelease(QEvent::KeyRelease, Qt::Key_H, Qt::NoModifier, QString(), true);
  QApplication::sendEvent(KeyTarget(), &repeatRelease);
  EXPECT_TRUE(model.tracking.stepPending);
  dialog->HandleTimer(kStepTimerId);
  EXPECT_FALSE(model.tracking.stepPending);
  Press(Qt::Key_H);
  EXPECT_EQ(model.tracking.timeOffset, 7200);
}

TEST_F(WindowTest, StepTimerFiresOnceAndClearsThePendingStep) {
  Settle();
  Press(Qt::Key_T);
  ASSERT_TRUE(dialog->StepTimer()->isSingleShot());
  QSignalSpy fired(dialog->StepTimer(), &QTimer::timeout);
  ASSERT_TRUE(fired.wait(2000));
  EXPECT_FALSE(model.tracking.stepPending);
  EXPECT_FALSE(dialog->StepTimer()->isActive());
}

TEST_F(WindowTest, CtrlStepKeyOnlyRefreshes) {
  Settle();
  const QString before = BoxText(1006);
  clock += 1;
  Press(Qt::Key_D, Qt::ControlModifier);
  EXPECT_EQ(model.tracking.timeOffset, 0);
  EXPECT_FALSE(model.tracking.stepPending);
  EXPECT_NE(BoxText(1006), before);  // the refresh showed the new second
}

TEST_F(WindowTest, StepShowsTheNewTimeAtOnce) {
  Settle();
  ASSERT_EQ(BoxText(1006), QStringLiteral("Mon Jan 15 12:00:00 2024"));
  Press(Qt::Key_D);
  EXPECT_EQ(BoxText(1006), QStringLiteral("Tue Jan 16 12:00:00 2024"));
}

TEST_F(WindowTest, EscapeReturnsToLiveTimeAndRepaintsThePanel) {
  Settle();
  QSignalSpy finished(dialog.get(), &QDialog::finished);
  Click(Qt::Key_W);
  ASSERT_EQ(model.tracking.timeOffset, 604800);
  dialog->ClearInvalidations();
  Click(Qt::Key_Escape);
  EXPECT_EQ(model.tracking.timeOffset, 0);
  EXPECT_EQ(CountInvalidations(kMapInsideRepaintRect), 1);
  EXPECT_EQ(BoxText(1006), QStringLiteral("Mon Jan 15 12:00:00 2024"));
  EXPECT_EQ(finished.count(), 0);  // Esc does not end the window
}

TEST_F(WindowTest, EscapeAtLiveTimeRefreshesWithoutRepaint) {
  Settle();
  clock += 1;
  Press(Qt::Key_Escape);
  EXPECT_TRUE(dialog->Invalidations().empty());
  EXPECT_EQ(BoxText(1006), QStringLiteral("Mon Jan 15 12:00:01 2024"));
}

TEST_F(WindowTest, EnterIsSwallowed) {
  Settle();
  QLineEdit* box = dialog->ValueBox(1099);
  QSignalSpy returned(box, &QLineEdit::returnPressed);
  clock += 1;
  QTest::keyClick(box, Qt::Key_Return);
  QTest::keyClick(box, Qt::Key_Enter);
  EXPECT_EQ(returned.count(), 0);
  // No refresh either: the clock box still shows the old second.
  EXPECT_EQ(BoxText(1006), QStringLiteral("Mon Jan 15 12:00:00 2024"));
}

// The keys the window acts on never reach a focused value box as typing;
// the others still do.
struct BoxKeyRow {
  const char* name;
  Qt::Key key;
  Qt::KeyboardModifiers modifiers;
  bool reachesTheBox;
};

class BoxKeyTest : public WindowTest, public ::testing::WithParamInterface<BoxKeyRow> {};

TEST_P(BoxKeyTest, HandledKeysStayOutOfTheBox) {
  const BoxKeyRow& row = GetParam();
  Settle();
  QApplication::clipboard()->setText(QStringLiteral("PASTED"));
  QLineEdit* box = dialog->ValueBox(1006);
  dialog->show();
  box->setFocus();
  box->setCursorPosition(box->text().size());
  // A key that reaches the box edits its text (typing or pasting).
  QSignalSpy edited(box, &QLineEdit::textEdited);
  QTest::keyPress(box, row.key, row.modifiers);
  QTest::keyRelease(box, row.key, row.modifiers);
  QTest::qWait(kRepeatPairMs + 20);
  EXPECT_EQ(edited.count() > 0, row.reachesTheBox);
  if (!row.reachesTheBox) {
    EXPECT_EQ(box->text(), QString::fromStdString(model.texts[TextId::kClock]));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, BoxKeyTest,
    ::testing::Values(BoxKeyRow{"step_d", Qt::Key_D, Qt::NoModifier, false},
                      BoxKeyRow{"step_back_shift_y", Qt::Key_Y, Qt::ShiftModifier, false},
                      BoxKeyRow{"horizon_up", Qt::Key_Up, Qt::NoModifier, false},
                      BoxKeyRow{"map_ctrl_v_no_paste", Qt::Key_V, Qt::ControlModifier, false},
                      BoxKeyRow{"view_ctrl_s", Qt::Key_S, Qt::ControlModifier, false},
                      BoxKeyRow{"unit_ctrl_k", Qt::Key_K, Qt::ControlModifier, false},
                      BoxKeyRow{"plain_s_is_typing", Qt::Key_S, Qt::NoModifier, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowTest, AltXEndsTheWindowAsOk) {
  MakeWindow(true);
  ASSERT_TRUE(dialog->TickTimer()->isActive());
  QSignalSpy finished(dialog.get(), &QDialog::finished);
  Press(Qt::Key_X, Qt::AltModifier);
  ASSERT_EQ(finished.count(), 1);
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_FALSE(dialog->TickTimer()->isActive());
  EXPECT_FALSE(dialog->StatusTimer()->isActive());
  EXPECT_FALSE(dialog->StepTimer()->isActive());
}

TEST_F(WindowTest, AltKeysBelongToTheMenuBar) {
  Settle();
  clock += 1;
  Press(Qt::Key_D, Qt::AltModifier);
  EXPECT_EQ(model.tracking.timeOffset, 0);
  EXPECT_EQ(BoxText(1006), QStringLiteral("Mon Jan 15 12:00:00 2024"));  // no refresh
}

// At the end of the offset's range a step or a jump that cannot be taken
// says so on the status line, until the status timer's next turn, instead of
// doing nothing in silence.
TEST_F(WindowTest, StepsPastTheOffsetLimitSaySoOnTheStatusLine) {
  auto* status = dialog->findChild<QLabel*>(
      QStringLiteral("static%1").arg(ControlIdOf(TextId::kStatusLine)));
  ASSERT_NE(status, nullptr);
  struct Row {
    const char* name;
    Qt::Key key;
    std::int32_t offsetBefore;
    const char* note;  // nullptr: the step is taken, no note
  } rows[] = {
      {"day_step_well_inside", Qt::Key_D, 0, nullptr},
      {"year_step_at_the_end", Qt::Key_Y, std::numeric_limits<std::int32_t>::max() - 60,
       kTimeLimitNote},
      {"up_jump_at_the_end", Qt::Key_Up, std::numeric_limits<std::int32_t>::max() - 60,
       kNoCrossingNote},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    dialog->HandleTimer(kStatusTimerId);
    Settle();
    model.tracking.timeOffset = r.offsetBefore;
    Press(r.key);
    Release(r.key);
    if (r.note == nullptr) {
      EXPECT_EQ(model.tracking.timeOffset, r.offsetBefore + 86400);
      EXPECT_FALSE(status->text().contains(QStringLiteral("limit")));
      continue;
    }
    EXPECT_EQ(status->text(), QString::fromLatin1(r.note));
    EXPECT_GE(status->contentsRect().width(), status->fontMetrics().horizontalAdvance(status->text()));
    dialog->HandleTimer(kStatusTimerId);
    EXPECT_FALSE(status->text().contains(QStringLiteral("limit")));
  }
}

// A menu closed with Esc, or Alt tapped alone, leaves the menu bar holding
// the keyboard with no menu open: the next step key still steps the time
// and opens no menu by its letter (H is also Help's mnemonic).
TEST_F(WindowTest, StepKeysAfterTheMenuBarWasLeftIdle) {
  // Walking the bar from the keyboard is the style's choice; the styles of
  // most desktops allow it, so the bar gets a style that does.
  class AltKeyNavigation : public QProxyStyle {
   public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
      if (hint == SH_MenuBar_AltKeyNavigation) return 1;
      return QProxyStyle::styleHint(hint, option, widget, data);
    }
  };
  AltKeyNavigation style;
  dialog->findChild<QMenuBar*>()->setStyle(&style);
  dialog->show();
  dialog->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
  struct Row {
    const char* name;
    std::function<void()> leaveIdle;
  } rows[] = {
      {"view_menu_closed_with_escape",
       [&] {
         QTest::keyClick(KeyTarget(), Qt::Key_V, Qt::AltModifier);
         ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }));
         QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
       }},
      {"alt_tapped",
       [&] {
         QTest::keyPress(KeyTarget(), Qt::Key_Alt, Qt::AltModifier);
         QTest::keyRelease(KeyTarget(), Qt::Key_Alt, Qt::AltModifier);
       }},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    dialog->setFocus();
    model.tracking.timeOffset = 0;
    Settle();
    r.leaveIdle();
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    // The offscreen platform does not hand the activation back by itself.
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    Press(Qt::Key_H);
    Release(Qt::Key_H);
    EXPECT_EQ(model.tracking.timeOffset, 3600);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
  }
  dialog->findChild<QMenuBar*>()->setStyle(nullptr);
}

TEST_F(WindowTest, AnyOtherKeyRefreshes) {
  Settle();
  clock += 2;
  Click(Qt::Key_Q);
  EXPECT_EQ(BoxText(1006), QStringLiteral("Mon Jan 15 12:00:02 2024"));
}

TEST_F(WindowTest, MouseOverTheWindowRefreshes) {
  dialog->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
  Settle();
  clock += 3;
  QTest::mouseMove(dialog->Panel(), QPoint(200, 300));
  QTest::mouseMove(dialog->Panel(), QPoint(201, 300));
  EXPECT_EQ(BoxText(1006), QStringLiteral("Mon Jan 15 12:00:03 2024"));
}

TEST_F(WindowTest, CtrlSTogglesTheViewAndItsMarks) {
  Settle();
  Click(Qt::Key_S, Qt::ControlModifier);
  EXPECT_TRUE(model.view.sunView);
  EXPECT_TRUE(model.view.sunViewRefresh);  // the next tick rebuilds the sun's outline
  EXPECT_TRUE(IsChecked(kCmdFromSun));
  EXPECT_FALSE(IsChecked(kCmdFromMoon));
  EXPECT_EQ(CountInvalidations(kSunViewKeyRepaintRect), 1);

  dialog->HandleTimer(kTickTimerId);
  EXPECT_FALSE(model.view.sunViewRefresh);

  Click(Qt::Key_S, Qt::ControlModifier);
  EXPECT_FALSE(model.view.sunView);
  EXPECT_TRUE(IsChecked(kCmdFromMoon));
  EXPECT_FALSE(IsChecked(kCmdFromSun));
}

TEST_F(WindowTest, CtrlVTogglesTheMapLikeTheCheckBox) {
  Settle();
  auto* box = dialog->findChild<QCheckBox*>(QStringLiteral("check1055"));
  ASSERT_NE(box, nullptr);
  Click(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(model.view.mapBitmap, kSkyMapBitmap);
  EXPECT_TRUE(model.view.skyMap);
  EXPECT_TRUE(box->isChecked());
  EXPECT_TRUE(IsChecked(kCmdSkyMap));
  EXPECT_FALSE(IsChecked(kCmdEarthMap));
  EXPECT_EQ(CountInvalidations(kMapRepaintRect), 1);
  Click(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(model.view.mapBitmap, kEarthMapBitmap);
  EXPECT_FALSE(box->isChecked());
  EXPECT_TRUE(IsChecked(kCmdEarthMap));
}

TEST_F(WindowTest, LettersSVKWithoutCtrlDoNothing) {
  Settle();
  clock += 1;
  for (const Qt::Key key : {Qt::Key_S, Qt::Key_V, Qt::Key_K}) Click(key);
  EXPECT_FALSE(model.view.sunView);
  EXPECT_FALSE(model.view.skyMap);
  EXPECT_EQ(model.home.distanceUnit, 1);
  EXPECT_EQ(BoxText(1006), QStringLiteral("Mon Jan 15 12:00:00 2024"));  // no refresh
}

TEST_F(WindowTest, CtrlKTogglesTheUnitButNotTheSettingsRecord) {
  // No settings file: miles in the window, 0.0 in the record.
  ASSERT_EQ(model.home.distanceUnit, 1);
  Click(Qt::Key_K, Qt::ControlModifier);
  EXPECT_EQ(model.home.distanceUnit, 0);
  Click(Qt::Key_K, Qt::ControlModifier);
  EXPECT_EQ(model.home.distanceUnit, 1);
  Click(Qt::Key_K, Qt::ControlModifier);
  EXPECT_EQ(model.home.distanceUnit, 0);
  EXPECT_EQ(model.settings.distanceUnit, 0.0);

  dialog->RunCommand(kCmdSave);
  QFile copy(folder.filePath(QStringLiteral("MyData.dat")));
  ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
  const QByteArray bytes = copy.readAll();
  ASSERT_EQ(bytes.size(), 32);
  double fields[4];
  std::memcpy(fields, bytes.constData(), sizeof fields);
  EXPECT_EQ(fields[3], 0.0);  // the record's unit, whatever the keys did
}

// Which station the up arrow searches at.
struct UpArrowRow {
  const char* name;
  bool station2Set;
  bool ctrl;
  bool expectStation2;
};

class UpArrowTest : public WindowTest, public ::testing::WithParamInterface<UpArrowRow> {};

TEST_P(UpArrowTest, JumpsToTheNextCrossingAtTheRightStation) {
  const UpArrowRow& row = GetParam();
  // A second station on the other side of the earth crosses at other times.
  if (row.station2Set) {
    model.station2.latitude = -33.9;
    model.station2.longitude = -151.2;
  }
  Settle();
  TrackerModel home = model;
  TrackerModel away = model;
  ASSERT_TRUE(JumpToHorizonCrossing(home, model.home.latitude, model.home.longitude, clock));
  ASSERT_TRUE(JumpToHorizonCrossing(away, -33.9, -151.2, clock));
  ASSERT_NE(home.tracking.timeOffset, away.tracking.timeOffset);

  Press(Qt::Key_Up, row.ctrl ? Qt::ControlModifier : Qt::NoModifier);
  const std::int32_t expected =
      row.expectStation2 ? away.tracking.timeOffset : home.tracking.timeOffset;
  EXPECT_EQ(model.tracking.timeOffset, expected);
  EXPECT_TRUE(model.tracking.stepPending);
  EXPECT_TRUE(dialog->StepTimer()->isActive());

  // Held down, it waits for the step timer.
  Press(Qt::Key_Up, row.ctrl ? Qt::ControlModifier : Qt::NoModifier);
  EXPECT_EQ(model.tracking.timeOffset, expected);
}

INSTANTIATE_TEST_SUITE_P(Stations, UpArrowTest,
                         ::testing::Values(UpArrowRow{"no_station2_uses_home", false, false, false},
                                           UpArrowRow{"ctrl_uses_home", true, true, false},
                                           UpArrowRow{"station2_set_uses_it", true, false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// The key rules on the model alone, for what the window cannot show.
TEST(KeyRules, MinuteStepRequestsTheViewInSight) {
  TrackerModel model;
  PreTranslateKey(model, KeyMessage{Qt::Key_M, false, false, false, false}, kFixedClock);
  EXPECT_TRUE(model.view.moonViewRefresh);
  EXPECT_FALSE(model.view.sunViewRefresh);

  TrackerModel sunModel;
  sunModel.view.sunView = true;
  PreTranslateKey(sunModel, KeyMessage{Qt::Key_M, false, false, false, false}, kFixedClock);
  EXPECT_TRUE(sunModel.view.sunViewRefresh);
  EXPECT_FALSE(sunModel.view.moonViewRefresh);

  TrackerModel dayModel;
  PreTranslateKey(dayModel, KeyMessage{Qt::Key_D, false, false, false, false}, kFixedClock);
  EXPECT_FALSE(dayModel.view.moonViewRefresh);
}

TEST(KeyRules, AltXEndsAndGoesToTheMenuBar) {
  TrackerModel model;
  const KeyAction action =
      PreTranslateKey(model, KeyMessage{Qt::Key_X, false, true, false, false}, kFixedClock);
  EXPECT_TRUE(action.endDialog);
  EXPECT_FALSE(action.refresh);
  EXPECT_FALSE(action.consumed);
}

TEST(KeyRules, ReleaseWithAltKeepsThePendingStep) {
  // Alt is looked at before the release: a release with Alt held belongs to
  // the menu bar and leaves the step pending.
  TrackerModel model;
  model.tracking.stepPending = true;
  PreTranslateKey(model, KeyMessage{Qt::Key_D, true, true, false, false}, kFixedClock);
  EXPECT_TRUE(model.tracking.stepPending);
  PreTranslateKey(model, KeyMessage{Qt::Key_D, true, false, false, false}, kFixedClock);
  EXPECT_FALSE(model.tracking.stepPending);
}

TEST(KeyRules, StepsStopAtTheEndOfTheOffsetRange) {
  // A 32-bit offset reaches about 68 years, so a hundred year steps run
  // into its end: the offset must stop there, never wrap to the past.
  TrackerModel model;
  std::int32_t last = 0;
  for (int i = 0; i < 100; ++i) {
    PreTranslateKey(model, KeyMessage{Qt::Key_Y, false, false, false, false}, kFixedClock);
    PreTranslateKey(model, KeyMessage{Qt::Key_Y, true, false, false, false}, kFixedClock);
    EXPECT_GE(model.tracking.timeOffset, last);
    last = model.tracking.timeOffset;
  }
  EXPECT_GT(last, 0);
}

}  // namespace
}  // namespace kelvora::gui::test
