// The rotator's commands over rotctld: move (P), read the position (p),
// stop (S) and park (K, or a move to the user's park position). Built on
// HamlibClient, so it never blocks its caller either.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "control/hamlib_client.h"
#include "control/rotator_rules.h"

namespace kelvora {

inline constexpr int kDefaultRotctldPort = 4533;

enum class RotatorCommand { Move, ReadPosition, Stop, Park };

struct RotatorEvent {
  RotatorCommand command = RotatorCommand::ReadPosition;
  ReplyOutcome outcome = ReplyOutcome::Ok;
  std::optional<AzEl> position;  // ReadPosition only: the rotator's own reading, degrees
  std::string text;              // what happened ("ok", "RPRT -1: invalid parameter", ...)
};

// "P 123.45 6.70": two decimals, independent of the process's locale.
std::string MoveCommandText(AzEl position);

class RotatorClient {
 public:
  RotatorClient(std::string host, int port, HamlibClientTiming timing = {});

  // Routine commands: refused while another is out (Busy).
  SubmitResult Move(AzEl position);  // Invalid for a NaN or infinite position
  SubmitResult ReadPosition();
  // Urgent commands: go out as soon as the wire is free.
  SubmitResult Stop();
  SubmitResult Park();                 // "K": the controller's own park
  SubmitResult ParkAt(AzEl position);  // a move to the user's park position

  std::optional<RotatorEvent> TakeEvent();
  LinkStatus Status() const { return client_.Status(); }
  bool Idle() const { return client_.Idle(); }

  // On the way out: sends S and waits for its answer at most maxWait.
  bool StopAndWait(std::chrono::milliseconds maxWait);

 private:
  SubmitResult Send(RotatorCommand command, HamlibRequest request, RequestPriority priority);

  HamlibClient client_;
  // Which command each id not yet answered was (bounded like the replies).
  struct Sent {
    std::uint64_t id;
    RotatorCommand command;
  };
  std::deque<Sent> sent_;
};

}  // namespace kelvora
