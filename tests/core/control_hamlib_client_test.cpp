// The Hamlib client against the real rotctld simulator and a scripted server
// that misbehaves.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>

#include "control/hamlib_client.h"
#include "hamlib_test_support.h"

namespace kelvora {
namespace {

using namespace std::chrono_literals;
using testing::HamlibDaemon;
using testing::ScriptedServer;
using testing::ScriptStep;

// Short back-off and time limits keep the fault cases quick; the program's
// own values are checked in the protocol tests.
constexpr HamlibClientTiming kQuick{1000ms, 1500ms, 50ms};

template <typename Predicate>
bool WaitUntil(Predicate done, std::chrono::milliseconds limit = 5000ms) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

bool Connected(const HamlibClient& client) {
  return WaitUntil([&] { return client.Status().state == LinkState::Connected; });
}

std::optional<HamlibReply> NextReply(HamlibClient& client, std::chrono::milliseconds limit = 5000ms) {
  std::optional<HamlibReply> reply;
  WaitUntil([&] { return (reply = client.TakeReply()).has_value(); }, limit);
  return reply;
}

std::optional<HamlibReply> Ask(HamlibClient& client, HamlibRequest request) {
  if (client.Submit(std::move(request)) != SubmitResult::Accepted) return std::nullopt;
  return NextReply(client);
}

const HamlibRequest kReadPosition{"p", 2, true};

TEST(HamlibClientRotctld, SetsReadsStopsAndParksTheSimulator) {
  HamlibDaemon daemon("rotctld", testing::FreeLoopbackPort());
  ASSERT_TRUE(daemon.Running());
  HamlibClient client("127.0.0.1", daemon.Port(), kQuick);
  ASSERT_TRUE(Connected(client)) << client.Status().text;

  auto reply = Ask(client, {"P 12.00 6.00", 0, true});
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->outcome, ReplyOutcome::Ok) << reply->text;

  // The simulator moves about 6 degrees a second: both axes arrive in ~2 s.
  std::optional<HamlibReply> position;
  EXPECT_TRUE(WaitUntil([&] {
    position = Ask(client, kReadPosition);
    return position && position->values.size() == 2 && std::abs(position->values[0] - 12) < 0.5 &&
           std::abs(position->values[1] - 6) < 0.5;
  }));

  reply = Ask(client, {"P 500.00 6.00", 0, true});
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->outcome, ReplyOutcome::Refused);
  EXPECT_EQ(reply->code, -1);
  EXPECT_EQ(reply->text, "RPRT -1: invalid parameter");

  for (const char* command : {"S", "K"}) {
    SCOPED_TRACE(command);
    reply = Ask(client, {command, 0, true});
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->outcome, ReplyOutcome::Ok) << reply->text;
  }
}

TEST(HamlibClientRotctld, ReconnectsAfterTheDaemonIsKilledAndRestarted) {
  HamlibDaemon daemon("rotctld", testing::FreeLoopbackPort());
  HamlibClient client("127.0.0.1", daemon.Port(), kQuick);
  ASSERT_TRUE(Connected(client));

  daemon.Stop();
  ASSERT_TRUE(WaitUntil([&] { return client.Status().state != LinkState::Connected; }));
  EXPECT_EQ(client.Submit(kReadPosition), SubmitResult::NotConnected);
  EXPECT_TRUE(WaitUntil([&] { return client.Status().failures >= 2; }));
  EXPECT_NE(client.Status().text.find("not connected"), std::string::npos);

  daemon.Start();
  ASSERT_TRUE(Connected(client)) << client.Status().text;
  const auto reply = Ask(client, kReadPosition);
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->outcome, ReplyOutcome::Ok) << reply->text;
  EXPECT_EQ(client.Status().failures, 0);
}

TEST(HamlibClientFaults, RefusedConnectionBacksOffWithoutReplies) {
  const int port = testing::FreeLoopbackPort();  // nobody listens here
  HamlibClient client("127.0.0.1", port, kQuick);
  ASSERT_TRUE(WaitUntil([&] { return client.Status().failures >= 3; }));
  const LinkStatus status = client.Status();
  EXPECT_EQ(status.state, LinkState::NotConnected);
  EXPECT_NE(status.text.find("Connection refused"), std::string::npos) << status.text;
  EXPECT_EQ(client.Submit(kReadPosition), SubmitResult::NotConnected);
  EXPECT_FALSE(client.TakeReply());
  // Back-off 50, 100, 200 ms scaled: three failures need at least 150 ms,
  // far fewer attempts than a client that retries in a loop would make.
  std::this_thread::sleep_for(300ms);
  EXPECT_LE(client.Status().failures, 6);
}

TEST(HamlibClientFaults, DaemonAnsweringGarbageBacksOffLikeARefusal) {
  // It accepts every connection and answers every line with garbage. With
  // the back-off (50, 100, 200, 400, 800 ms scaled) 1.2 s hold at most five
  // connections; a client retrying after a fixed first step would make
  // about twenty.
  ScriptedServer server([](const std::string&) { return ScriptStep{"\x01garbage\n", 0ms}; });
  HamlibClient client("127.0.0.1", server.Port(), kQuick);
  const auto until = std::chrono::steady_clock::now() + 1200ms;
  while (std::chrono::steady_clock::now() < until) {
    client.Submit(kReadPosition);
    while (client.TakeReply()) {
    }
    std::this_thread::sleep_for(5ms);
  }
  EXPECT_GE(server.Connections(), 3);
  EXPECT_LE(server.Connections(), 6);
  EXPECT_GE(client.Status().failures, 3);
}

TEST(HamlibClientFaults, EachMisbehaviourGivesItsOutcome) {
  struct Row {
    const char* name;
    ScriptStep step;
    ReplyOutcome outcome;
    const char* text;
    bool reconnects;  // the client drops a connection it cannot trust
  };
  const Row rows[] = {
      {"drop_mid_reply", {"12.5\n", 0ms, true}, ReplyOutcome::ConnectionLost,
       "connection closed in the middle of a reply", true},
      {"garbage", {"twelve\n3\n", 0ms, false}, ReplyOutcome::Garbled, "not a number: \"twelve\"",
       true},
      {"timeout_report", {"RPRT -5\n", 0ms, false}, ReplyOutcome::Refused,
       "RPRT -5: communication timed out", false},
      {"too_slow", {"1\n2\n", 2500ms, false}, ReplyOutcome::Timeout, "no reply within 1500 ms",
       true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    bool first = true;
    ScriptedServer server([&](const std::string&) {
      if (!first) return ScriptStep{"10\n20\n"};
      first = false;
      return row.step;
    });
    HamlibClient client("127.0.0.1", server.Port(), kQuick);
    ASSERT_TRUE(Connected(client));
    auto reply = Ask(client, kReadPosition);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->outcome, row.outcome);
    EXPECT_EQ(reply->text, row.text);

    // Nothing is lost: the next command is answered, over a new connection
    // when the old one was dropped.
    ASSERT_TRUE(Connected(client));
    reply = Ask(client, kReadPosition);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->outcome, ReplyOutcome::Ok) << reply->text;
    EXPECT_EQ(reply->values, (std::vector<double>{10, 20}));
    EXPECT_EQ(server.Connections(), row.reconnects ? 2 : 1);
  }
}

TEST(HamlibClientFaults, SlowRepliesBuildNoQueue) {
  // A daemon that takes 3 s per reply while the caller asks every 100 ms:
  // everything offered while the command is out is refused, not queued.
  ScriptedServer server([](const std::string&) { return ScriptStep{"1\n2\n", 3000ms}; });
  HamlibClient client("127.0.0.1", server.Port(), {1000ms, 5000ms, 50ms});
  ASSERT_TRUE(Connected(client));
  ASSERT_EQ(client.Submit(kReadPosition), SubmitResult::Accepted);
  int refused = 0;
  std::optional<HamlibReply> reply;
  const auto start = std::chrono::steady_clock::now();
  while (!(reply = client.TakeReply()) && std::chrono::steady_clock::now() - start < 5s) {
    if (client.Submit(kReadPosition) == SubmitResult::Busy) ++refused;
    std::this_thread::sleep_for(100ms);
  }
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->outcome, ReplyOutcome::Ok);
  EXPECT_GE(refused, 25);
  EXPECT_EQ(server.Received().size(), 1u);
}

TEST(HamlibClientFaults, UrgentCommandTakesTheWaitingPlace) {
  ScriptedServer server([](const std::string& line) {
    return ScriptStep{"RPRT 0\n", line == "P 1 2" ? 400ms : 0ms};
  });
  HamlibClient client("127.0.0.1", server.Port(), kQuick);
  ASSERT_TRUE(Connected(client));
  std::uint64_t move = 0, stop = 0, park = 0;
  ASSERT_EQ(client.Submit({"P 1 2"}, RequestPriority::Routine, &move), SubmitResult::Accepted);
  ASSERT_TRUE(WaitUntil([&] { return server.Received().size() == 1; }));
  EXPECT_EQ(client.Submit({"S"}, RequestPriority::Urgent, &stop), SubmitResult::Accepted);
  EXPECT_EQ(client.Submit({"K"}, RequestPriority::Urgent, &park), SubmitResult::Accepted);

  const auto superseded = NextReply(client);
  ASSERT_TRUE(superseded);
  EXPECT_EQ(superseded->id, stop);
  EXPECT_EQ(superseded->outcome, ReplyOutcome::Superseded);
  for (const std::uint64_t id : {move, park}) {
    const auto reply = NextReply(client);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->id, id);
    EXPECT_EQ(reply->outcome, ReplyOutcome::Ok);
  }
  EXPECT_EQ(server.Received(), (std::vector<std::string>{"P 1 2", "K"}));
}

TEST(HamlibClientFaults, WaitingCommandIsNotSentOverALaterConnection) {
  // The connection drops while a move is out and a stop waits: both are
  // reported lost, and the stop does not go out later over a new link.
  ScriptedServer server([](const std::string& line) {
    return line == "P 1 2" ? ScriptStep{"", 300ms, true} : ScriptStep{"RPRT 0\n"};
  });
  HamlibClient client("127.0.0.1", server.Port(), kQuick);
  ASSERT_TRUE(Connected(client));
  std::uint64_t move = 0, stop = 0;
  ASSERT_EQ(client.Submit({"P 1 2"}, RequestPriority::Routine, &move), SubmitResult::Accepted);
  ASSERT_TRUE(WaitUntil([&] { return server.Received().size() == 1; }));
  ASSERT_EQ(client.Submit({"S"}, RequestPriority::Urgent, &stop), SubmitResult::Accepted);
  for (const std::uint64_t id : {move, stop}) {
    const auto reply = NextReply(client);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->id, id);
    EXPECT_EQ(reply->outcome, ReplyOutcome::ConnectionLost) << reply->text;
  }
  ASSERT_TRUE(Connected(client));
  EXPECT_EQ(server.Received(), (std::vector<std::string>{"P 1 2"}));
}

TEST(HamlibClientFaults, SendAndWaitIsBoundedWhenTheDaemonIsSilent) {
  ScriptedServer server([](const std::string&) { return ScriptStep{"", 0ms}; });
  HamlibClient client("127.0.0.1", server.Port(), kQuick);
  ASSERT_TRUE(Connected(client));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(client.SendAndWait({"S"}, 300ms));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1000ms);
}

}  // namespace
}  // namespace kelvora
