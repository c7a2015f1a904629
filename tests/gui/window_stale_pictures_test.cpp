// What is on the screen after a command, a time step or the start, read back
// from the window's backing store without repainting anything: it must match
// a fresh painting of the state the program holds. (A grab would repaint the
// whole window and hide every stale picture.)
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
