// The Radio panel: its settings in the station-control store, refusals of
// bad entries, and Track / Hold against Hamlib's simulated rig.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <thread>

#include "../core/hamlib_test_support.h"
#include "control/radio_texts.h"
#include "station/radio_panel.h"
#include "station/rotator_panel.h"
#include "station/station_control_window.h"

namespace kelvora::gui {
namespace {

using namespace std::chrono_literals;

constexpr std::int64_t kNoonJ2000 = 946728000;  // 2000-01-01 12:00 UTC

class RadioPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder.isValid());
    model.home.latitude = 29.42;
    model.home.longitude = 95.36;
    store = std::make_unique<QSettings>(folder.filePath(QStringLiteral("station.ini")),
                                        QSettings::IniFormat);
  }

  std::unique_ptr<RadioPanel> MakePanel() {
    RadioPanelOptions options;
    options.utcNow = [this] { return utc; };
    options.startTimers = false;
    options.timing = HamlibClientTiming{1000ms, 1500ms, 50ms};
    return std::make_unique<RadioPanel>(model, *store, options);
  }

  static void Type(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
  }

  // One period as the timers run it: once connected, the period, then polls
  // until the rig has answered everything.
  static bool Period(RadioPanel& panel) {
    const auto until = [&panel](auto done) {
      const auto deadline = std::chrono::steady_clock::now() + 5s;
      while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(5ms);
        panel.PollSession();
      }
      return true;
    };
    const RadioSession* session = panel.Session();
    if (session == nullptr ||
        !until([session] { return session->report().link.state == LinkState::Connected; })) {
      return false;
    }
    panel.RunPeriod();
    return until([session] { return !session->Busy(); });
  }

  QTemporaryDir folder;
  TrackerModel model;
  std::unique_ptr<QSettings> store;
  std::int64_t utc = kNoonJ2000;
};

TEST_F(RadioPanelTest, SettingsAreCheckedKeptAndRefusedEntriesLoseNothing) {
  store->setValue("radio/dialHz", "lots");
  store->setValue("radio/stepHz", 7);
  store->setValue("radio/method", "sideways");
  store->setValue("radio/port", 99999);
  store->setValue("radio/transmitOffsetHz", "nan");
  auto panel = MakePanel();
  // Every bad stored value gives its default.
  EXPECT_EQ(panel->DialEdit()->text(), "144000000");
  EXPECT_EQ(panel->StepBox()->currentText(), "10 Hz");
  EXPECT_EQ(panel->MethodBox()->currentIndex(), 0);
  EXPECT_EQ(panel->PortBox()->value(), kDefaultRigctldPort);
  EXPECT_EQ(panel->OffsetEdit()->text(), "0");
  EXPECT_EQ(panel->BandBox()->currentText(), "144 MHz");

  Type(panel->DialEdit(), QStringLiteral("10368e6"));
  EXPECT_EQ(panel->ControlSettings().dialHz, 10368e6);
  EXPECT_EQ(panel->BandBox()->currentText(), "10368 MHz");
  EXPECT_TRUE(panel->Message()->text().isEmpty());

  // A bad entry is refused with a message; the dial in force stays.
  Type(panel->DialEdit(), QStringLiteral("12 GHz"));
  EXPECT_EQ(panel->ControlSettings().dialHz, 10368e6);
  EXPECT_TRUE(panel->Message()->text().contains(QStringLiteral("'12 GHz'")));
  Type(panel->OffsetEdit(), QStringLiteral("x"));
  EXPECT_EQ(panel->ControlSettings().transmitOffsetHz, 0.0);
  EXPECT_TRUE(panel->Message()->text().startsWith(QStringLiteral("TX offset")));

  panel->BandBox()->setCurrentIndex(panel->BandBox()->findText(QStringLiteral("1296 MHz")));
  emit panel->BandBox()->activated(panel->BandBox()->currentIndex());
  panel->MethodBox()->setCurrentIndex(3);
  emit panel->MethodBox()->activated(3);
  panel->FixedDuringTxBox()->setChecked(true);
  panel->TransmissionBox()->setValue(48);

  // A second panel over the same store starts where the first left off.
  auto again = MakePanel();
  const RadioControlSettings kept = again->ControlSettings();
  EXPECT_EQ(kept.dialHz, 1296e6);
  EXPECT_EQ(kept.method, DopplerMethod::FullToDx);
  EXPECT_FALSE(kept.changesWhileTransmitting);
  EXPECT_EQ(kept.transmissionSeconds, 48);
  // Without a second station the DX figure says so.
  EXPECT_EQ(again->Text(RadioPanel::kDx)->text(), "no DX station");
}

// The microwave figures follow the dial: the libration spread is a Doppler
// spread, so it grows with the frequency (eightfold from 1296 to 10368 MHz),
// while the delays do not change.
TEST_F(RadioPanelTest, SpreadAndDelayFollowTheDial) {
  model.station2.latitude = 51.5;  // a DX station: the path's figures too
  model.station2.longitude = 0.1;
  auto panel = MakePanel();
  const auto figures = [&panel](const QString& dial) {
    Type(panel->DialEdit(), dial);
    const QStringList spread = panel->Text(RadioPanel::kSpread)->text().split(QChar(' '));
    const QString delay = panel->Text(RadioPanel::kDelay)->text();
    // "echo S Hz  path S Hz" and "echo D s  path D s  rx R Hz/s"
    EXPECT_EQ(spread.size(), 7) << spread.join(QChar(' ')).toStdString();
    EXPECT_TRUE(delay.contains(QStringLiteral("path"))) << delay.toStdString();
    return std::pair{spread.value(1).toDouble(), delay.section(QStringLiteral("  rx"), 0, 0)};
  };
  const auto [low, lowDelay] = figures(QStringLiteral("1296e6"));
  const auto [high, highDelay] = figures(QStringLiteral("10368e6"));
  EXPECT_GT(low, 0.0);
  EXPECT_NEAR(high / low, 8.0, 0.1);
  EXPECT_EQ(lowDelay, highDelay);
}

TEST_F(RadioPanelTest, TrackHoldAndTheOperatorsHandOnTheSimulatedRig) {
  testing::HamlibDaemon daemon("rigctld", testing::FreeLoopbackPort());
  ASSERT_TRUE(daemon.Running());
  store->setValue("radio/port", daemon.Port());
  store->setValue("radio/dialHz", 1296e6);
  store->setValue("radio/method", "echo");
  model.station2.latitude = 51.5;
  model.station2.longitude = 0.1;
  auto panel = MakePanel();

  QTest::mouseClick(panel->TrackButton(), Qt::LeftButton);
  ASSERT_TRUE(panel->Tracking());
  ASSERT_TRUE(Period(*panel));
  // Own echo: rx f + 2 d_home, tx f, from the same figures the panel shows.
  const auto figures =
      DopplerFiguresAt({29.42, 95.36}, RadioSite{51.5, 0.1}, kNoonJ2000, 1296e6);
  ASSERT_TRUE(figures);
  const std::string rx = HertzText(1296e6 + figures->echoHz);
  EXPECT_EQ(panel->Text(RadioPanel::kSent)->text().toStdString(), "rx " + rx + "  tx 1296000000");
  EXPECT_EQ(panel->Text(RadioPanel::kState)->text(), "tracking");
  EXPECT_TRUE(panel->Text(RadioPanel::kLink)->text().startsWith(QStringLiteral("connected")));
  EXPECT_TRUE(panel->Text(RadioPanel::kDx)->text().endsWith(QStringLiteral("Hz/min)")));

  // The operator tunes 500 Hz up with the rig's own knob.
  HamlibClient knob("127.0.0.1", daemon.Port(), HamlibClientTiming{1000ms, 1500ms, 50ms});
  const auto connected = std::chrono::steady_clock::now() + 5s;
  while (knob.Status().state != LinkState::Connected && std::chrono::steady_clock::now() < connected) {
    std::this_thread::sleep_for(5ms);
  }
  const std::int64_t tuned = std::llround(1296e6 + figures->echoHz) + 500;
  ASSERT_EQ(knob.Submit({"F " + std::to_string(tuned), 0, true}), SubmitResult::Accepted);
  while (!knob.TakeReply()) std::this_thread::sleep_for(5ms);
  ASSERT_TRUE(Period(*panel));
  EXPECT_EQ(panel->DialEdit()->text(), "1296000500");
  EXPECT_EQ(panel->Text(RadioPanel::kTuned)->text(), "+500.0 Hz");
  EXPECT_EQ(store->value("radio/dialHz").toDouble(), 1296000500.0);

  QTest::mouseClick(panel->HoldButton(), Qt::LeftButton);
  ASSERT_TRUE(Period(*panel));
  EXPECT_EQ(panel->Text(RadioPanel::kState)->text(), "held");

  // What the operator sees: no "nan" anywhere.
  panel->resize(panel->sizeHint());
  const QImage shot = panel->grab().toImage();
  ASSERT_FALSE(shot.isNull());
  QDir().mkpath(QStringLiteral(KELVORA_SCREENSHOT_DIR));
  shot.save(QStringLiteral(KELVORA_SCREENSHOT_DIR "/radio_panel.png"));
  for (int field = 0; field < RadioPanel::kFieldCount; ++field) {
    EXPECT_FALSE(panel->Text(static_cast<RadioPanel::Field>(field))
                     ->text()
                     .contains(QStringLiteral("nan"), Qt::CaseInsensitive));
  }

  QTest::mouseClick(panel->TrackButton(), Qt::LeftButton);
  EXPECT_FALSE(panel->Tracking());
  EXPECT_FALSE(panel->HoldButton()->isEnabled());
  EXPECT_EQ(panel->Text(RadioPanel::kLink)->text(), "not connected");
}

TEST_F(RadioPanelTest, StationControlWindowCarriesItOnItsOwnStore) {
  auto settings = std::make_unique<QSettings>(folder.filePath(QStringLiteral("window.ini")),
                                              QSettings::IniFormat);
  settings->setValue("radio/dialHz", 432e6);
  QSettings& windowStore = *settings;
  StationControlWindow window(model, [this] { return utc; }, nullptr, std::move(settings));
  auto* radio = window.findChild<RadioPanel*>();
  ASSERT_NE(radio, nullptr);
  EXPECT_EQ(radio->title(), "Radio (rigctld)");
  EXPECT_EQ(radio->DialEdit()->text(), "432000000");
  Type(radio->DialEdit(), QStringLiteral("1296e6"));
  EXPECT_EQ(windowStore.value("radio/dialHz").toDouble(), 1296e6);
  EXPECT_TRUE(radio->Text(RadioPanel::kEcho)->text().endsWith(QStringLiteral("Hz/min)")));

  window.resize(window.sizeHint());
  const QImage shot = window.grab().toImage();
  ASSERT_FALSE(shot.isNull());
  QDir().mkpath(QStringLiteral(KELVORA_SCREENSHOT_DIR));
  shot.save(QStringLiteral(KELVORA_SCREENSHOT_DIR "/station_control_radio.png"));
  // The radio sits to the right of the rotator, tops aligned.
  EXPECT_GT(radio->geometry().left(), window.Rotator()->geometry().right());
}

}  // namespace
}  // namespace kelvora::gui
