// The codec and the follower against the real WSJT-X 2.6.1 under Xvfb
// (started once for the suite), and the encoder against udp_daemon, the
// reference server of the same package.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "state/records.h"
#include "tick/commands.h"
#include "wsjtx/udp_socket.h"
#include "wsjtx/wsjtx_codec.h"
#include "wsjtx/wsjtx_follower.h"
#include "wsjtx_test_support.h"

namespace kelvora::wsjtx {
namespace {

using Clock = std::chrono::steady_clock;

struct Heard {
  Decoded message;
  UdpPeer from;
};

// The next message for which `wanted` holds, within `seconds`.
std::optional<Heard> WaitFor(UdpSocket& socket, int seconds,
                             const std::function<bool(const Decoded&)>& wanted) {
  const auto deadline = Clock::now() + std::chrono::seconds(seconds);
  while (Clock::now() < deadline) {
    std::optional<Datagram> datagram = socket.Receive(200);
    if (!datagram) continue;
    const auto result = Decode(datagram->bytes);
    EXPECT_TRUE(result) << result.reason();  // WSJT-X never sends what we cannot read
    if (result && wanted(*result)) return Heard{*result, datagram->from};
  }
  return std::nullopt;
}

class WsjtxProgramTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    auto opened = UdpSocket::Open(UdpOptions{});
    ASSERT_TRUE(opened) << opened.reason();
    socket_ = std::make_unique<UdpSocket>(std::move(*opened));
    program_ = std::make_unique<testing::WsjtxUnderXvfb>(socket_->port(), "K1ABC", "FN42AA");
  }
  static void TearDownTestSuite() {
    program_.reset();
    socket_.reset();
  }

  static inline std::unique_ptr<UdpSocket> socket_;
  static inline std::unique_ptr<testing::WsjtxUnderXvfb> program_;
};

TEST_F(WsjtxProgramTest, PublishesItsStateAndTakesTheDxRequest) {
  ASSERT_TRUE(program_->Started());
  const auto beat = WaitFor(*socket_, 20, [](const Decoded& d) {
    return std::holds_alternative<Heartbeat>(d.message);
  });
  ASSERT_TRUE(beat) << "no Heartbeat; WSJT-X said:\n" << program_->Log();
  const auto& heartbeat = std::get<Heartbeat>(beat->message.message);
  EXPECT_EQ(heartbeat.id, program_->InstanceId());
  EXPECT_EQ(heartbeat.version, "2.6.1");
  EXPECT_EQ(heartbeat.maximumSchema, 3u);
  EXPECT_EQ(beat->message.schema, 2u);
  EXPECT_EQ(beat->from.Text().rfind("127.0.0.1:", 0), 0u);

  // It starts with dial 0 and settles on its default band.
  const auto status = WaitFor(*socket_, 20, [](const Decoded& d) {
    const auto* s = std::get_if<Status>(&d.message);
    return s != nullptr && s->dialHz == 14'074'000;
  });
  ASSERT_TRUE(status);
  const auto& s = std::get<Status>(status->message.message);
  EXPECT_EQ(s.id, program_->InstanceId());
  EXPECT_EQ(s.mode, "FT8");
  EXPECT_EQ(s.deCall, "K1ABC");
  EXPECT_EQ(s.deGrid, "FN42AA");
  EXPECT_FALSE(s.transmitting);
  EXPECT_EQ(StatusPeriodSeconds(s), 15);

  // The request goes back to the port WSJT-X sends from; its next Status
  // shows the DX station, which the follower makes the second station.
  const Configure request = DxRequest(s.id, "OH2BC", "KP20", s.fastMode);
  const auto sent = socket_->Send(Encode(request, status->message.schema), status->from);
  ASSERT_TRUE(sent) << sent.reason();
  const auto after = WaitFor(*socket_, 15, [](const Decoded& d) {
    const auto* s = std::get_if<Status>(&d.message);
    return s != nullptr && TextOf(s->dxGrid) == "KP20";
  });
  ASSERT_TRUE(after) << "the DX grid never came back";
  const auto& changed = std::get<Status>(after->message.message);
  EXPECT_EQ(changed.dxCall, "OH2BC");

  TrackerModel model;
  WsjtxFollower follower;
  const FollowCommands commands = follower.OnStatus(changed, 144e6);
  ASSERT_TRUE(commands.station2Locator);
  ASSERT_TRUE(PlaceStation2AtLocator(model, *commands.station2Locator));
  EXPECT_EQ(model.station2.locator, "KP20MM");
  EXPECT_NEAR(model.station2.latitude, 60.52, 0.005);
  EXPECT_NEAR(model.station2.longitude, -25.04, 0.005);  // 25.04 E, west positive
}

TEST(WsjtxReferenceServer, ReadsWhatWeWrite) {
  auto opened = UdpSocket::Open(UdpOptions{});
  ASSERT_TRUE(opened);
  UdpSocket& socket = *opened;
  // udp_daemon's port: one our socket is not on and nobody listens to now.
  int port = 0;
  {
    const auto probe = UdpSocket::Open(UdpOptions{});  // closed at the end of the block
    ASSERT_TRUE(probe);
    port = probe->port();
  }
  testing::UdpDaemon daemon(port);
  ASSERT_TRUE(daemon.Started());

  Status status;
  status.id = "kelvora-test";
  status.dialHz = 50'313'000;
  status.mode = "JT65";
  status.subMode = "B";
  status.dxCall = "W1XYZ";
  const UdpPeer to{0x7f000001, static_cast<std::uint16_t>(port)};
  // udp_daemon may not be listening yet: the heartbeat is repeated until it
  // answers with its own.
  std::optional<Datagram> answer;
  for (int i = 0; i < 50 && !answer; ++i) {
    ASSERT_TRUE(socket.Send(Encode(Heartbeat{"kelvora-test", 3, "2.6.1", ""}), to).ok());
    answer = socket.Receive(100);
  }
  ASSERT_TRUE(answer) << "udp_daemon never answered:\n" << daemon.Output();
  const auto reply = Decode(answer->bytes);
  ASSERT_TRUE(reply) << reply.reason();
  EXPECT_EQ(reply->schema, 3u);  // it negotiates the newest schema both know
  const auto* heartbeat = std::get_if<Heartbeat>(&reply->message);
  ASSERT_NE(heartbeat, nullptr);
  EXPECT_EQ(heartbeat->id, "kelvora-test");
  ASSERT_TRUE(socket.Send(Encode(status, 3), to).ok());
  ASSERT_TRUE(socket.Send(Encode(Close{"kelvora-test"}, 3), to).ok());

  const auto deadline = Clock::now() + std::chrono::seconds(5);
  std::string out;
  while (Clock::now() < deadline) {
    out = daemon.Output();
    if (out.find("Mode changed to JT65B") != std::string::npos) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_NE(out.find("Discovered WSJT-X instance: kelvora-test"), std::string::npos) << out;
  EXPECT_NE(out.find("Dial frequency changed to 50313000"), std::string::npos) << out;
  EXPECT_NE(out.find("Mode changed to JT65B"), std::string::npos) << out;
}

}  // namespace
}  // namespace kelvora::wsjtx
