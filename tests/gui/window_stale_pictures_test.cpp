// What is on the screen after a command, a time step or the start, read back
// from the window's backing store without repainting anything: it must match
// a fresh painting of the state the program holds. (A grab would repaint the
// whole window and hide every stale picture.)
#include <functional>

#include "panel_test_support.h"
#include "screen_test_support.h"

namespace kelvora::gui::test {
namespace {

const QColor kYellow(255, 255, 0);

// The map (from the caption row down) and the phase picture with its word.
const QRect kMapArea(0, 170, 431, 305);
const QRect kPhaseArea(217, 30, 80, 42);

TEST_F(ScreenTest, SkyMapShowsTheMoonAtOnce) {
  ShowAndSettle();
  Click(Qt::Key_V, Qt::ControlModifier);
  const QImage screen = OnScreen();
  EXPECT_EQ(StalePixels(screen, kMapArea), 0);
  const MapPoint moon = model.tracking.moonSkyPoint;
  EXPECT_EQ(screen.pixelColor(moon.x, moon.y), kYellow);
  EXPECT_EQ(StalePixels(screen, kPhaseArea), 0);  // the earth's phase picture is gone
  SaveWindow(QStringLiteral("window_after_sky_map_switch.png"));
}

TEST_F(ScreenTest, SkyMapAfterAMonthOnTheEarthMapShowsTheNewMoon) {
  ShowAndSettle();
  Click(Qt::Key_V, Qt::ControlModifier);
  Flush();
  const MapPoint before = model.tracking.moonSkyPoint;
  Click(Qt::Key_V, Qt::ControlModifier);  // back to the earth map
  Press(Qt::Key_O);                       // 31 days on
  Release(Qt::Key_O);
  Click(Qt::Key_V, Qt::ControlModifier);
  const QImage screen = OnScreen();
  const MapPoint after = model.tracking.moonSkyPoint;
  ASSERT_GT(std::abs(after.x - before.x) + std::abs(after.y - before.y), 20);
  EXPECT_EQ(screen.pixelColor(after.x, after.y), kYellow);
  EXPECT_EQ(StalePixels(screen, kMapArea), 0);
}

TEST_F(ScreenTest, FirstPaintShowsFiguresAndMarks) {
  // Nothing ticks before the window appears: the first paint must already
  // have figures, not empty boxes and marks in the corner.
  dialog->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
  const QImage screen = OnScreen();
  EXPECT_FALSE(BoxText(1006).isEmpty());
  EXPECT_EQ(StalePixels(screen, kMapArea), 0);
  EXPECT_EQ(StalePixels(screen, kPhaseArea), 0);
  const MapPoint moon = model.tracking.moonMarker;
  EXPECT_GT(moon.x + moon.y, 0);
  EXPECT_EQ(screen.pixelColor(moon.x, moon.y), kYellow);
}

TEST_F(ScreenTest, PhasePictureFollowsFiveDaySteps) {
  ShowAndSettle();
  const int phaseBefore = model.tracking.phaseIndex;
  for (int day = 0; day < 5; ++day) {
    DayStep();
    dialog->HandleTimer(kStepTimerId);
  }
  ASSERT_NE(model.tracking.phaseIndex, phaseBefore);
  const QImage screen = OnScreen();
  EXPECT_EQ(StalePixels(screen, kPhaseArea), 0);
  EXPECT_EQ(StalePixels(screen, kMapArea), 0);
  SaveWindow(QStringLiteral("window_after_five_day_steps.png"));
  // Back at live time the word is the live one again.
  Click(Qt::Key_Escape);
  EXPECT_EQ(model.tracking.phaseIndex, phaseBefore);
  EXPECT_EQ(StalePixels(OnScreen(), kPhaseArea), 0);
}

// The phase word is the panel's whatever the step buttons' captions do: it
// stays after a click on a step button (the pointer still over it, its
// caption up) and after a full repaint under a caption, and once the pointer
// has moved off, the buttons and the word are all there.
TEST_F(ScreenTest, PhaseWordStaysThroughStepClicksAndCaptions) {
  PanelWidget& panel = *dialog->Panel();
  struct Row {
    const char* name;
    std::function<void()> act;
  } rows[] = {
      {"day_button_clicked",
       [&] {
         testing::Move(panel, 92, 62);
         testing::Press(panel, 92, 62, Qt::LeftButton);
         testing::Release(panel, 92, 62, Qt::LeftButton);
       }},
      {"full_repaint_under_a_caption",
       [&] {
         testing::Move(panel, 20, 62);
         Flush();
         dialog->update();
         panel.update();
       }},
  };
  ShowAndSettle();
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    r.act();
    ASSERT_TRUE(panel.OverlayState().stepCaptionShown);
    EXPECT_EQ(StalePixels(OnScreen(), kPhaseArea), 0);
    testing::Move(panel, 300, 120);
    testing::Move(panel, 300, 120);
    const QImage screen = OnScreen();
    EXPECT_EQ(StalePixels(screen, kPhaseArea), 0);
    EXPECT_EQ(StalePixels(screen, QRect(0, 55, 300, 18)), 0);  // the button row
  }
  SaveWindow(QStringLiteral("window_after_step_button_clicks.png"));
}

// A caption belongs to the pointer over its button: leaving the row for a
// value box (which takes the moves over it for itself) or leaving the window
// takes it away, from the screen too.
TEST_F(ScreenTest, CaptionsGoWhenThePointerLeavesForABoxOrTheWindow) {
  PanelWidget& panel = *dialog->Panel();
  QWidget* box = dialog->ValueBox(1006);
  ASSERT_NE(box, nullptr);
  struct Row {
    const char* name;
    std::function<void()> leave;
  } rows[] = {
      {"into_a_value_box", [&] { QTest::mouseMove(box, box->rect().center()); }},
      {"out_of_the_window",
       [&] {
         QEvent leave(QEvent::Leave);
         QCoreApplication::sendEvent(&panel, &leave);
       }},
  };
  ShowAndSettle();
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    QTest::mouseMove(&panel, QPoint(92, 62));
    testing::Move(panel, 92, 62);
    Flush();
    ASSERT_TRUE(panel.OverlayState().stepCaptionShown);
    r.leave();
    EXPECT_FALSE(panel.OverlayState().stepCaptionShown);
    for (const bool flag : panel.OverlayState().captionFlags) EXPECT_FALSE(flag);
    EXPECT_EQ(StalePixels(OnScreen(), QRect(0, 55, 300, 18)), 0);
  }
}

// A second station's cross placed in the map's bottom rows reaches below
// the map; moving or removing the station takes all of it away.
TEST_F(ScreenTest, CrossInTheBottomRowsLeavesNoStubs) {
  PanelWidget& panel = *dialog->Panel();
  struct Row {
    const char* name;
    std::function<void()> change;
  } rows[] = {
      {"moved",
       [&] {
         testing::Press(panel, 100, 300, Qt::LeftButton);
         testing::Release(panel, 100, 300, Qt::LeftButton);
       }},
      {"removed",
       [&] {
         testing::Press(panel, 200, 300, Qt::RightButton);
         testing::Release(panel, 200, 300, Qt::RightButton);
       }},
  };
  ShowAndSettle();
  const QRect belowTheMap(0, 470, 431, 12);
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    testing::Press(panel, 200, 474, Qt::LeftButton);
    testing::Release(panel, 200, 474, Qt::LeftButton);
    Flush();
    ASSERT_TRUE(model.station2.HasLocator());
    r.change();
    Flush();
    const QImage screen = OnScreen();
    EXPECT_EQ(StalePixels(screen, belowTheMap), 0);
    int red = 0;
    for (int y = belowTheMap.top(); y <= belowTheMap.bottom(); ++y) {
      for (int x = 195; x <= 205; ++x) red += screen.pixelColor(x, y) == QColor(255, 0, 0);
    }
    EXPECT_EQ(red, 0);
  }
}

TEST_F(ScreenTest, MinimiseAndRestoreShowTheCurrentState) {
  ShowAndSettle();
  dialog->showMinimized();
  Flush();
  clock += 3600;
  dialog->HandleTimer(kTickTimerId);
  dialog->showNormal();
  Flush();
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Kelvora Win"));
  const QImage screen = OnScreen();
  EXPECT_EQ(StalePixels(screen, kMapArea), 0);
  EXPECT_EQ(StalePixels(screen, kPhaseArea), 0);
  SaveWindow(QStringLiteral("window_after_minimise_restore.png"));
}

}  // namespace
}  // namespace kelvora::gui::test
