// The Station control window: opened from the Station menu, its rotator
// panel against the real rotctld and a silent or slow one, its settings in
// their own store, the stop on exit, and a picture of it.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <memory>

#include "../core/hamlib_test_support.h"
#include "control/station_config.h"
#include "gui_test_support.h"
#include "station/rotator_panel.h"
#include "station/station_control_window.h"
#include "station/status_label.h"

namespace kelvora::gui::test {
namespace {

using namespace std::chrono_literals;
using kelvora::testing::HamlibDaemon;
using kelvora::testing::ScriptedServer;
using kelvora::testing::ScriptStep;

template <typename Predicate>
bool WaitFor(Predicate done, int milliseconds = 8000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > milliseconds) return false;
    QTest::qWait(20);
  }
  return true;
}

// The whole text of a status line (shown elided to its width).
QString Text(QWidget& window, const char* name) {
  if (auto* status = window.findChild<StatusLabel*>(QLatin1String(name))) return status->FullText();
  auto* label = window.findChild<QLabel*>(QLatin1String(name));
  return label ? label->text() : QStringLiteral("<no %1>").arg(QLatin1String(name));
}

class StationControl : public ::testing::Test {
 protected:
  // A window over its own settings file with the given rotator settings.
  std::unique_ptr<StationControlWindow> Open(std::initializer_list<std::pair<const char*, QVariant>> values) {
    auto settings = std::make_unique<QSettings>(folder.filePath(QStringLiteral("station.ini")),
                                                QSettings::IniFormat);
    for (const auto& [key, value] : values) settings->setValue(QLatin1String(key), value);
    settings->sync();
    return std::make_unique<StationControlWindow>(model, [this] { return utc; }, nullptr,
                                                  std::move(settings));
  }

  TrackerModel model;
  QTemporaryDir folder;
  std::int64_t utc = kFixedClock;
};

TEST_F(WindowTest, StationMenuOpensTheStationControlWindow) {
  QTemporaryDir store;
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, store.path());
  QMenu* station = nullptr;
  for (QMenu* menu : dialog->findChild<QMenuBar*>()->findChildren<QMenu*>()) {
    if (menu->title() == QStringLiteral("&Station")) station = menu;
  }
  ASSERT_NE(station, nullptr);
  const auto items = station->actions();
  ASSERT_EQ(items.size(), 5);
  EXPECT_EQ(items[0]->text(), "&EME Dir");
  EXPECT_EQ(items[1]->text(), "Station&2");
  EXPECT_TRUE(items[2]->isSeparator());
  EXPECT_EQ(items[3]->text(), "Station &Control...");
  EXPECT_EQ(items[4]->text(), "Plan S&keds...");

  items[3]->trigger();
  auto* window = dialog->findChild<StationControlWindow*>();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(window->isWindow());
  EXPECT_EQ(window->windowTitle(), "Station control");
  EXPECT_FALSE(window->isModal());
  items[3]->trigger();  // a second choice shows the same window
  EXPECT_EQ(dialog->findChildren<StationControlWindow*>().size(), 1);
}

TEST_F(StationControl, TracksWithTheRealRotctldAndStopsOnF8) {
  HamlibDaemon daemon("rotctld", kelvora::testing::FreeLoopbackPort());
  auto window = Open({{"rotator/port", daemon.Port()},
                      {"rotator/target", 3},  // fixed
                      {"rotator/fixedAzimuth", 8.0},
                      {"rotator/fixedElevation", 4.0},
                      {"rotator/period", 0.2}});
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  RotatorPanel* panel = window->Rotator();
  ASSERT_TRUE(WaitFor([&] { return panel->LastReport().link.state == LinkState::Connected; }));
  QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("rotatorTrack")), Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] {
    const auto& r = panel->LastReport();
    return r.pointingError && *r.pointingError < 1.0;
  })) << Text(*window, "rotatorLink").toStdString() << " / " << Text(*window, "rotatorProblem").toStdString();
  EXPECT_EQ(Text(*window, "rotatorCommanded"), "az 8.0°  el 4.0°");
  EXPECT_TRUE(Text(*window, "rotatorReported").startsWith("az "));
  EXPECT_EQ(Text(*window, "rotatorStatus"), "on target");
  EXPECT_EQ(Text(*window, "rotatorPlan"), "az 8.0 -> 8.0, no unwind");
  EXPECT_TRUE(Text(*window, "rotatorLink").startsWith("connected to 127.0.0.1:"));

  // F8 in another window of the program stops the rotator too.
  QWidget other;
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  QTest::keyClick(&other, Qt::Key_F8);
  EXPECT_TRUE(WaitFor([&] { return !panel->LastReport().tracking; }, 1000));
  EXPECT_TRUE(WaitFor([&] { return Text(*window, "rotatorStatus") == "stopped"; }, 2000))
      << Text(*window, "rotatorStatus").toStdString();
  EXPECT_EQ(Text(*window, "rotatorProblem"), "-");
}

TEST_F(StationControl, UnreachableRotatorShowsItsStateWithoutMessageBoxes) {
  const int nobody = kelvora::testing::FreeLoopbackPort();
  auto window = Open({{"rotator/port", nobody}, {"rotator/period", 0.2}});
  window->show();
  RotatorPanel* panel = window->Rotator();
  panel->Track();
  ASSERT_TRUE(WaitFor([&] { return panel->LastReport().link.failures >= 2; }));
  EXPECT_TRUE(Text(*window, "rotatorLink").startsWith("not connected (Connection refused)"))
      << Text(*window, "rotatorLink").toStdString();
  EXPECT_EQ(Text(*window, "rotatorCommanded"), "-");
  EXPECT_EQ(Text(*window, "rotatorReported"), "unknown");
  EXPECT_EQ(Text(*window, "rotatorError"), "unknown");
  EXPECT_EQ(Text(*window, "rotatorStatus"), "not connected");
  panel->Stop();
  EXPECT_EQ(Text(*window, "rotatorStatus"), "stop pending");
  for (QWidget* top : QApplication::topLevelWidgets()) {
    EXPECT_EQ(qobject_cast<QMessageBox*>(top), nullptr);
  }
}

TEST_F(StationControl, SlowRotctldNeverHoldsTheWindow) {
  // Every reply takes 3 s; each period of the window still returns at once
  // and only one command is ever out.
  ScriptedServer server([](const std::string& line) {
    return ScriptStep{line == "p" ? "1\n2\n" : "RPRT 0\n", 3000ms};
  });
  auto window = Open({{"rotator/port", server.Port()}, {"rotator/period", 0.2}});
  RotatorPanel* panel = window->Rotator();
  ASSERT_TRUE(WaitFor([&] { return panel->LastReport().link.state == LinkState::Connected; }));
  panel->PeriodTimer()->stop();
  panel->Track();
  qint64 slowest = 0;
  for (int i = 0; i < 20; ++i) {
    QElapsedTimer timer;
    timer.start();
    panel->RunPeriod();
    slowest = std::max(slowest, timer.elapsed());
    QTest::qWait(100);
  }
  EXPECT_LT(slowest, 50);
  EXPECT_EQ(server.Received().size(), 1u);  // one move, the rest refused while it is out
}

TEST_F(StationControl, LongOrRawRepliesNeverWidenTheWindow) {
  // 2000 characters with control bytes where a position should be.
  std::string reply(2000, 'x');
  reply[10] = '\x07';
  reply[20] = '\x1b';
  ScriptedServer server([&](const std::string&) { return ScriptStep{reply + "\n"}; });
  auto window = Open({{"rotator/port", server.Port()}, {"rotator/period", 0.2}});
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  const int width = window->width();
  const int hint = window->sizeHint().width();
  RotatorPanel* panel = window->Rotator();
  panel->Track();
  ASSERT_TRUE(WaitFor([&] { return Text(*window, "rotatorProblem").size() > 2000; }))
      << Text(*window, "rotatorProblem").toStdString();
  QTest::qWait(100);
  EXPECT_EQ(window->width(), width);
  EXPECT_LE(window->sizeHint().width(), hint);
  const auto* problem = window->findChild<StatusLabel*>(QStringLiteral("rotatorProblem"));
  EXPECT_LT(problem->text().size(), 400);  // elided
  EXPECT_EQ(problem->toolTip(), problem->FullText());
  EXPECT_TRUE(problem->FullText().contains(QStringLiteral("\\x07")));
  EXPECT_FALSE(problem->FullText().contains(QChar(0x1b)));
}

TEST_F(StationControl, SettingsComeFromTheirStoreAndBadValuesAreNamed) {
  auto window = Open({{"rotator/threshold", 25.0},
                      {"rotator/azimuthRange", 2},
                      {"rotator/minimumElevation", 5.5},
                      {"rotator/host", "rotor.example"}});
  RotatorPanel* panel = window->Rotator();
  EXPECT_EQ(panel->Config().setup.thresholdDegrees, kDefaultThresholdDegrees);
  EXPECT_EQ(panel->Config().setup.azimuthRange, AzimuthRange::From0To450);
  EXPECT_EQ(panel->Config().setup.minimumElevation, 5.5);
  EXPECT_EQ(panel->Config().host, "rotor.example");
  EXPECT_TRUE(Text(*window, "rotatorProblem").startsWith("settings: threshold \"25\" unusable, using 1"))
      << Text(*window, "rotatorProblem").toStdString();

  // Apply stores what the fields hold; the star's epoch counts only with the
  // tracked source, and the command line reads the same file alike.
  window->findChild<QLineEdit*>(QStringLiteral("rotatorHost"))->setText(QStringLiteral("127.0.0.1"));
  window->findChild<QDoubleSpinBox*>(QStringLiteral("rotatorThreshold"))->setValue(2.5);
  auto* epoch = window->findChild<QComboBox*>(QStringLiteral("rotatorStarEpoch"));
  EXPECT_FALSE(epoch->isEnabled());
  window->findChild<QComboBox*>(QStringLiteral("rotatorTarget"))
      ->setCurrentIndex(static_cast<int>(TargetChoice::Source));
  EXPECT_TRUE(epoch->isEnabled());
  epoch->setCurrentText(QStringLiteral("B1950"));
  panel->Apply();
  EXPECT_TRUE(panel->Config().setup.userStarB1950);
  QSettings stored(folder.filePath(QStringLiteral("station.ini")), QSettings::IniFormat);
  EXPECT_EQ(stored.value(QStringLiteral("rotator/threshold")).toDouble(), 2.5);
  EXPECT_EQ(stored.value(QStringLiteral("rotator/host")).toString(), "127.0.0.1");
  EXPECT_EQ(stored.value(QStringLiteral("rotator/userStarB1950")).toString(), "1");
  const auto file = ReadIniFile(folder.filePath(QStringLiteral("station.ini")).toStdString());
  ASSERT_TRUE(file);
  std::vector<std::string> problems;
  EXPECT_TRUE(StationConfigFromValues(*file, &problems).rotator.setup.userStarB1950);
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(Text(*window, "rotatorProblem"), "-");
}

TEST_F(StationControl, EndingTheProgramStopsTheRotatorUnlessTurnedOff) {
  for (const bool stopOnExit : {true, false}) {
    SCOPED_TRACE(stopOnExit);
    ScriptedServer server([](const std::string& line) {
      return ScriptStep{line == "p" ? "1\n2\n" : "RPRT 0\n"};
    });
    auto window = Open({{"rotator/port", server.Port()}, {"rotator/stopOnExit", stopOnExit ? 1 : 0}});
    ASSERT_TRUE(WaitFor([&] {
      return window->Rotator()->LastReport().link.state == LinkState::Connected;
    }));
    window.reset();
    const auto received = server.Received();
    EXPECT_EQ(std::count(received.begin(), received.end(), "S"), stopOnExit ? 1 : 0);
  }
}

TEST_F(StationControl, Picture) {
  HamlibDaemon daemon("rotctld", kelvora::testing::FreeLoopbackPort());
  auto window = Open({{"rotator/port", daemon.Port()}, {"rotator/azimuthRange", 2}});
  model.home.latitude = -35.3;
  model.home.longitude = -149.1;
  window->show();
  RotatorPanel* panel = window->Rotator();
  ASSERT_TRUE(WaitFor([&] { return panel->LastReport().link.state == LinkState::Connected; }));
  panel->Apply();  // the site above
  panel->Track();
  ASSERT_TRUE(WaitFor([&] { return panel->LastReport().reported.has_value(); }));
  const QImage image = window->grab().toImage();
  EXPECT_GT(image.width(), 300);
  const QString dir = QStringLiteral(KELVORA_SCREENSHOT_DIR);
  QDir().mkpath(dir);
  EXPECT_TRUE(image.save(QDir(dir).filePath(QStringLiteral("station_control.png"))));
}

}  // namespace
}  // namespace kelvora::gui::test
