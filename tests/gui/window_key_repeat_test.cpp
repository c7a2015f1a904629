// A step key held down under X11: each auto-repeat arrives as a release and
// a press of the same moment, and Qt marks only some releases as repeats.
// The clock must still step at most once per step-timer period.
#include <QElapsedTimer>
#include <QKeyEvent>

#include "gui_test_support.h"

namespace kelvora::gui::test {
namespace {

void SendKey(QWidget* target, QEvent::Type type, Qt::Key key, bool markedRepeat,
             quint64 timestamp) {
  QKeyEvent event(type, key, Qt::NoModifier, QString(), markedRepeat);
  event.setTimestamp(timestamp);
  QApplication::sendEvent(target, &event);
}

struct HoldRow {
  const char* name;
  bool stampedLikeX11;  // both halves of a repeat share a server timestamp
  int markEvery;        // Qt marks every n-th release as a repeat (0: none)
};

class HeldKeyTest : public WindowTest, public ::testing::WithParamInterface<HoldRow> {};

TEST_P(HeldKeyTest, StepsOncePerStepTimerPeriod) {
  const HoldRow& row = GetParam();
  Settle();
  // Two seconds of holding D at 30 repeats a second, the event loop (and
  // with it the real 500 ms step timer) running between repeats.
  constexpr int kHoldMs = 2000;
  constexpr int kRepeatMs = 33;
  quint64 stamp = 1000;
  QElapsedTimer held;
  held.start();
  SendKey(KeyTarget(), QEvent::KeyPress, Qt::Key_D, false, stamp);
  int repeats = 0;
  while (held.elapsed() < kHoldMs) {
    QTest::qWait(kRepeatMs);
    stamp += kRepeatMs;
    ++repeats;
    const bool marked = row.markEvery > 0 && repeats % row.markEvery == 0;
    const quint64 when = row.stampedLikeX11 ? stamp : 0;
    SendKey(KeyTarget(), QEvent::KeyRelease, Qt::Key_D, marked, when);
    SendKey(KeyTarget(), QEvent::KeyPress, Qt::Key_D, marked, when);
  }
  const qint64 heldMs = held.elapsed();
  const std::int32_t steps = model.tracking.timeOffset / 86400;
  // One step at the press, then at most one per elapsed step-timer period.
  EXPECT_GE(steps, 2) << repeats << " repeats";
  EXPECT_LE(steps, 1 + heldMs / kStepTimerPeriodMs) << repeats << " repeats";

  // The key really goes up: the next press steps at once.
  SendKey(KeyTarget(), QEvent::KeyRelease, Qt::Key_D, false, stamp + 5);
  QTest::qWait(kRepeatPairMs + 20);
  EXPECT_FALSE(model.tracking.stepPending);
  const std::int32_t before = model.tracking.timeOffset;
  SendKey(KeyTarget(), QEvent::KeyPress, Qt::Key_D, false, stamp + 300);
  EXPECT_EQ(model.tracking.timeOffset, before + 86400);
}

INSTANTIATE_TEST_SUITE_P(
    Repeats, HeldKeyTest,
    ::testing::Values(HoldRow{"x11_none_marked", true, 0}, HoldRow{"x11_every_third_marked", true, 3},
                      HoldRow{"no_timestamps_none_marked", false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowTest, PressOfAnotherMomentAfterAReleaseStepsAgain) {
  // A release and a press of the same key with different timestamps is the
  // key let go and pressed anew, however quickly.
  Settle();
  SendKey(KeyTarget(), QEvent::KeyPress, Qt::Key_H, false, 5000);
  SendKey(KeyTarget(), QEvent::KeyRelease, Qt::Key_H, false, 5080);
  SendKey(KeyTarget(), QEvent::KeyPress, Qt::Key_H, false, 5090);
  EXPECT_EQ(model.tracking.timeOffset, 7200);
}

TEST_F(WindowTest, PressOfAnotherKeyLetsTheHeldReleaseCount) {
  Settle();
  SendKey(KeyTarget(), QEvent::KeyPress, Qt::Key_H, false, 0);
  SendKey(KeyTarget(), QEvent::KeyRelease, Qt::Key_H, false, 0);
  SendKey(KeyTarget(), QEvent::KeyPress, Qt::Key_D, false, 0);
  EXPECT_EQ(model.tracking.timeOffset, 3600 + 86400);
}

}  // namespace
}  // namespace kelvora::gui::test
