#include "control/rotator_client.h"

#include <array>
#include <charconv>
#include <cmath>
#include <utility>

namespace kelvora {
namespace {

// Ids remembered beyond this many are the oldest unanswered; their replies
// were dropped by the client's own bound long ago.
constexpr std::size_t kMaxRememberedIds = 80;

std::string TwoDecimals(double value) {
  std::array<char, 32> text{};
  const auto [end, ec] =
      std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed, 2);
  return ec == std::errc{} ? std::string(text.data(), end) : std::string("0.00");
}

}  // namespace

std::string MoveCommandText(AzEl position) {
  return "P " + TwoDecimals(position.azimuth) + " " + TwoDecimals(position.elevation);
}

RotatorClient::RotatorClient(std::string host, int port, HamlibClientTiming timing)
    : client_(std::move(host), port, timing) {}

SubmitResult RotatorClient::Send(RotatorCommand command, HamlibRequest request,
                                 RequestPriority priority) {
  std::uint64_t id = 0;
  const SubmitResult result = client_.Submit(std::move(request), priority, &id);
  if (result == SubmitResult::Accepted) {
    sent_.push_back({id, command});
    while (sent_.size() > kMaxRememberedIds) sent_.pop_front();
  }
  return result;
}

SubmitResult RotatorClient::Move(AzEl position) {
  if (!std::isfinite(position.azimuth) || !std::isfinite(position.elevation)) {
    return SubmitResult::Invalid;
  }
  return Send(RotatorCommand::Move, {MoveCommandText(position), 0, true}, RequestPriority::Routine);
}

SubmitResult RotatorClient::ReadPosition() {
  return Send(RotatorCommand::ReadPosition, {"p", 2, true}, RequestPriority::Routine);
}

SubmitResult RotatorClient::Stop() {
  return Send(RotatorCommand::Stop, {"S", 0, true}, RequestPriority::Urgent);
}

SubmitResult RotatorClient::Park() {
  return Send(RotatorCommand::Park, {"K", 0, true}, RequestPriority::Urgent);
}

SubmitResult RotatorClient::ParkAt(AzEl position) {
  if (!std::isfinite(position.azimuth) || !std::isfinite(position.elevation)) {
    return SubmitResult::Invalid;
  }
  return Send(RotatorCommand::Park, {MoveCommandText(position), 0, true}, RequestPriority::Urgent);
}

std::optional<RotatorEvent> RotatorClient::TakeEvent() {
  auto reply = client_.TakeReply();
  if (!reply) return std::nullopt;
  RotatorEvent event;
  event.outcome = reply->outcome;
  event.text = reply->text;
  for (auto it = sent_.begin(); it != sent_.end(); ++it) {
    if (it->id == reply->id) {
      event.command = it->command;
      sent_.erase(it);
      break;
    }
  }
  if (event.command == RotatorCommand::ReadPosition && reply->outcome == ReplyOutcome::Ok) {
    event.position = AzEl{reply->values.at(0), reply->values.at(1)};
  }
  return event;
}

bool RotatorClient::StopAndWait(std::chrono::milliseconds maxWait) {
  const auto reply = client_.SendAndWait({"S", 0, true}, maxWait);
  return reply && reply->outcome == ReplyOutcome::Ok;
}

}  // namespace kelvora
