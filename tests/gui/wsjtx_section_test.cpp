// The WSJT-X section of the Station control window and "Send to WSJT-X":
// Status datagrams sent to the link's loopback port place the second
// station and drive the Radio panel; requests come back to the sender.
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <ifaddrs.h>
#include <netinet/in.h>

#include <memory>
#include <variant>

#include <gtest/gtest.h>

#include "../core/wsjtx_test_support.h"
#include "plan/plan_window.h"
#include "station/radio_panel.h"
#include "station/station_control_window.h"
#include "tick/commands.h"
#include "ui/dialogs/dialogs.h"
#include "ui/dialogs/station2_dialog.h"
#include "wsjtx/udp_socket.h"
#include "wsjtx/wsjtx_codec.h"
#include "wsjtx/wsjtx_link.h"
#include "wsjtx/wsjtx_section.h"

namespace kelvora::gui::test {
namespace {

template <typename Predicate>
bool WaitFor(Predicate done, int milliseconds = 5000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > milliseconds) return false;
    QTest::qWait(10);
  }
  return true;
}

wsjtx::Status MakeStatus(const char* call, const char* grid, std::uint64_t dialHz) {
  wsjtx::Status s;
  s.id = "WSJT-X - test";
  s.dxCall = std::string(call);
  s.dxGrid = std::string(grid);
  s.dialHz = dialHz;
  s.mode = std::string("FT8");
  s.transmitting = true;
  return s;
}

void SetStationAt(TrackerModel& model, const char* locator) {
  ASSERT_TRUE(PlaceStation2AtLocator(model, locator));
}

class WsjtxSectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The link's options live in the station-control store, moved here.
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
    auto opened = wsjtx::UdpSocket::Open(wsjtx::UdpOptions{});
    ASSERT_TRUE(opened) << opened.reason();
    wsjtxSide = std::make_unique<wsjtx::UdpSocket>(std::move(*opened));
    {
      const auto probe = wsjtx::UdpSocket::Open(wsjtx::UdpOptions{});  // closed at once
      ASSERT_TRUE(probe) << probe.reason();
      port = probe->port();
    }
    QSettings store(folder.filePath(QStringLiteral("Kelvora/station-control.ini")),
                    QSettings::IniFormat);
    store.setValue(QStringLiteral("wsjtx/port"), port);
    store.sync();
    window = std::make_unique<StationControlWindow>(
        model, [] { return std::int64_t{1'700'000'000}; }, nullptr,
        std::make_unique<QSettings>(folder.filePath(QStringLiteral("station.ini")),
                                    QSettings::IniFormat));
    section = window->findChild<WsjtxSection*>();
    radio = window->findChild<RadioPanel*>();
    ASSERT_NE(section, nullptr);
    ASSERT_NE(radio, nullptr);
  }

  void Send(const wsjtx::Status& status) {
    ASSERT_TRUE(wsjtxSide->Send(wsjtx::Encode(status),
                                wsjtx::UdpPeer{0x7f000001, static_cast<std::uint16_t>(port)}));
  }

  QTemporaryDir folder;
  TrackerModel model;
  int port = 0;
  std::unique_ptr<wsjtx::UdpSocket> wsjtxSide;
  std::unique_ptr<StationControlWindow> window;
  WsjtxSection* section = nullptr;
  RadioPanel* radio = nullptr;
};

TEST_F(WsjtxSectionTest, StatusPlacesStation2AndDrivesTheRadio) {
  EXPECT_TRUE(section->LinkLabel()->text().contains(QStringLiteral("nothing heard")))
      << section->LinkLabel()->text().toStdString();
  Send(MakeStatus("W1XYZ", "EM10", 50'313'000));
  ASSERT_TRUE(WaitFor([&] { return model.station2.locator == "EM10MM"; }))
      << section->TakenLabel()->text().toStdString();
  EXPECT_EQ(radio->DialEdit()->text(), QStringLiteral("50313000"));  // a new band
  EXPECT_TRUE(section->StatusLabel()->text().contains(QStringLiteral("DX W1XYZ EM10")));
  EXPECT_TRUE(section->TakenLabel()->text().contains(QStringLiteral("EM10MM")));
  EXPECT_TRUE(section->LinkLabel()->text().contains(QStringLiteral("WSJT-X - test at 127.0.0.1")));

  // A Doppler move of 2 kHz is left; the station placed by hand stays while
  // WSJT-X keeps its DX station; an empty DX call clears nothing.
  PlaceStation2(model, 10.0, 20.0);
  const std::string byHand = model.station2.locator;
  Send(MakeStatus("W1XYZ", "EM10", 50'315'000));
  Send(MakeStatus("", "", 50'315'000));
  ASSERT_TRUE(WaitFor([&] { return section->StatusLabel()->text().contains(QStringLiteral("DX - -")); }));
  EXPECT_EQ(model.station2.locator, byHand);
  EXPECT_EQ(radio->DialEdit()->text(), QStringLiteral("50313000"));

  // Switched off, a new DX station is not taken, and the switch is kept.
  section->Station2Box()->setChecked(false);
  Send(MakeStatus("OH2BC", "KP20", 50'315'000));
  ASSERT_TRUE(WaitFor([&] { return section->StatusLabel()->text().contains(QStringLiteral("OH2BC")); }));
  EXPECT_EQ(model.station2.locator, byHand);
  QSettings saved(folder.filePath(QStringLiteral("station.ini")), QSettings::IniFormat);
  EXPECT_EQ(saved.value(QStringLiteral("wsjtx/followDxStation")).toBool(), false);

  ASSERT_TRUE(wsjtxSide->Send(wsjtx::Encode(wsjtx::Close{"WSJT-X - test"}),
                              wsjtx::UdpPeer{0x7f000001, static_cast<std::uint16_t>(port)}));
  ASSERT_TRUE(WaitFor([&] { return section->TakenLabel()->text().contains(QStringLiteral("closed")); }));
  EXPECT_TRUE(section->LinkLabel()->text().contains(QStringLiteral("(closed)")));
}

TEST_F(WsjtxSectionTest, FollowsTheRealProgram) {
  // WSJT-X 2.6.1 under Xvfb sends to the link's port: its band becomes the
  // radio's dial, and the DX station sent to it comes back as Station2.
  kelvora::testing::WsjtxUnderXvfb program(port, "K1ABC", "FN42AA");
  ASSERT_TRUE(program.Started());
  ASSERT_TRUE(WaitFor(
      [&] { return section->StatusLabel()->text().contains(QStringLiteral("14074000 Hz FT8")); },
      20000))
      << section->LinkLabel()->text().toStdString() << program.Log();
  EXPECT_TRUE(section->StatusLabel()->text().contains(QStringLiteral("T/R 15 s")));
  EXPECT_TRUE(WaitFor([&] { return radio->DialEdit()->text() == QStringLiteral("14074000"); }));
  EXPECT_TRUE(SendDxRequest(window.get(), QStringLiteral("OH2BC"), QStringLiteral("KP20"))
                  .contains(QString::fromStdString("sent to " + program.InstanceId())));
  EXPECT_TRUE(WaitFor([&] { return model.station2.locator == "KP20MM"; }, 10000))
      << section->TakenLabel()->text().toStdString();
  program.Stop();
}

TEST_F(WsjtxSectionTest, SendToWsjtxReachesTheInstanceHeard) {
  WsjtxLink* link = WsjtxLink::Of(window.get());
  // Nothing heard yet: the request waits for the instance.
  EXPECT_TRUE(link->SendDx(QStringLiteral("dl7apv"), QStringLiteral("jo62qm"))
                  .contains(QStringLiteral("when it is heard")));
  EXPECT_TRUE(link->SendDx(QStringLiteral("DL7 APV"), QStringLiteral("JO62"))
                  .contains(QStringLiteral("is not a call")));
  EXPECT_TRUE(link->SendDx(QStringLiteral("DL7APV"), QStringLiteral("JO6"))
                  .contains(QStringLiteral("not a 4- or 6-character locator")));
  EXPECT_EQ(link->SendDx(QStringLiteral("DL7APV"), QString()),
            QStringLiteral("no DX locator to send to WSJT-X"));
  wsjtx::Status status = MakeStatus("", "", 14'074'000);
  status.fastMode = true;
  Send(status);
  std::optional<wsjtx::Datagram> request;
  ASSERT_TRUE(WaitFor([&] { return (request = wsjtxSide->Receive(0)).has_value(); }));
  const auto decoded = wsjtx::Decode(request->bytes);
  ASSERT_TRUE(decoded) << decoded.reason();
  const auto& configure = std::get<wsjtx::Configure>(decoded->message);
  EXPECT_EQ(configure.id, "WSJT-X - test");
  EXPECT_EQ(configure.dxCall, "DL7APV");
  EXPECT_EQ(configure.dxGrid, "JO62QM");
  EXPECT_TRUE(configure.fastMode);  // the instance's own, left as it is
  EXPECT_EQ(configure.trPeriodSeconds, wsjtx::kUnset);

  // Now known: sent at once, from the Station2 station of the plan window
  // as from anywhere.
  EXPECT_TRUE(SendDxRequest(window.get(), QString(), QStringLiteral("FN42"))
                  .contains(QStringLiteral("sent to WSJT-X - test")));
  ASSERT_TRUE(WaitFor([&] { return (request = wsjtxSide->Receive(0)).has_value(); }));
  const auto again = wsjtx::Decode(request->bytes);
  ASSERT_TRUE(again);
  EXPECT_EQ(std::get<wsjtx::Configure>(again->message).dxCall, "");  // WSJT-X keeps its own
}

TEST_F(WsjtxSectionTest, SendButtonsOfThePlannerAndStation2) {
  Send(MakeStatus("", "", 14'074'000));
  ASSERT_TRUE(WaitFor([&] { return section->StatusLabel()->text() != QStringLiteral("-"); }));
  const auto nextRequest = [this]() -> std::optional<wsjtx::Configure> {
    std::optional<wsjtx::Datagram> datagram;
    if (!WaitFor([&] { return (datagram = wsjtxSide->Receive(0)).has_value(); })) return {};
    const auto decoded = wsjtx::Decode(datagram->bytes);
    if (!decoded) return {};
    return std::get<wsjtx::Configure>(decoded->message);
  };

  SetStationAt(model, "EM12OV");
  std::unique_ptr<Station2Dialog> dialog(
      CreateStation2Dialog(model, folder.filePath(QStringLiteral("EME.DTA")), window.get()));
  dialog->show();
  auto* send = dialog->findChild<QPushButton*>(QStringLiteral("button2110"));
  ASSERT_NE(send, nullptr);
  QTest::mouseClick(send, Qt::LeftButton);
  auto request = nextRequest();
  ASSERT_TRUE(request);
  EXPECT_EQ(request->dxGrid, "EM12OV");
  EXPECT_TRUE(send->toolTip().contains(QStringLiteral("sent to WSJT-X - test")));

  PlanWindow plan(model, folder.filePath(QStringLiteral("EME.DTA")), [] { return std::int64_t{0}; },
                  window.get());
  plan.SetDx(PlanWindow::kByLocator, QStringLiteral("jo62qm"));
  QTest::mouseClick(plan.findChild<QPushButton*>(QStringLiteral("sendToWsjtx")), Qt::LeftButton);
  request = nextRequest();
  ASSERT_TRUE(request);
  EXPECT_EQ(request->dxGrid, "JO62QM");
  EXPECT_TRUE(plan.StatusText().contains(QStringLiteral("sent to WSJT-X - test")));
  plan.SetDx(PlanWindow::kByLocator, QStringLiteral("ZZ"));
  QTest::mouseClick(plan.findChild<QPushButton*>(QStringLiteral("sendToWsjtx")), Qt::LeftButton);
  EXPECT_FALSE(plan.StatusText().contains(QStringLiteral("sent to")));
}

TEST_F(WsjtxSectionTest, OtherHostsAndBadGroupsAreRefused) {
  // A datagram to 127.0.0.1 from this machine's own non-loopback address.
  ifaddrs* list = nullptr;
  std::uint32_t own = 0;
  if (getifaddrs(&list) == 0) {
    for (ifaddrs* a = list; a != nullptr && own == 0; a = a->ifa_next) {
      if (a->ifa_addr == nullptr || a->ifa_addr->sa_family != AF_INET) continue;
      const std::uint32_t address =
          ntohl(reinterpret_cast<sockaddr_in*>(a->ifa_addr)->sin_addr.s_addr);
      if ((address >> 24) != 127) own = address;
    }
    freeifaddrs(list);
  }
  if (own != 0) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in from{};
    from.sin_family = AF_INET;
    from.sin_addr.s_addr = htonl(own);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from), 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(port));
    to.sin_addr.s_addr = htonl(0x7f000001);
    const auto bytes = wsjtx::Encode(MakeStatus("W1XYZ", "EM10", 14'074'000));
    ::sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    ::close(fd);
    ASSERT_TRUE(WaitFor([&] {
      return section->LinkLabel()->text().contains(QStringLiteral("1 from other hosts ignored"));
    }));
    EXPECT_FALSE(model.station2.HasLocator());
  }
  // A bad group is said and the link keeps listening where it did.
  section->GroupEdit()->setText(QStringLiteral("10.1.2.3"));
  QTest::mouseClick(section->ListenButton(), Qt::LeftButton);
  EXPECT_TRUE(section->MessageLabel()->text().contains(QStringLiteral("not a multicast group")))
      << section->MessageLabel()->text().toStdString();
  EXPECT_EQ(WsjtxLink::Of(window.get())->Port(), port);
  // Garbage is refused with its reason, shown on the link line.
  ASSERT_TRUE(wsjtxSide->Send({1, 2, 3}, wsjtx::UdpPeer{0x7f000001, static_cast<std::uint16_t>(port)}));
  ASSERT_TRUE(WaitFor([&] {
    return section->LinkLabel()->text().contains(QStringLiteral("refused: not a WSJT-X message"));
  }));
}

}  // namespace
}  // namespace kelvora::gui::test
