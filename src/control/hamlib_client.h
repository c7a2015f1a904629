// A client of Hamlib's daemons (rotctld, rigctld) over TCP that never blocks
// its caller. A worker thread owns the socket: it connects with a time limit,
// retries with a growing back-off while the daemon is unreachable, sends one
// command at a time and turns each reply into a HamlibReply that the caller
// collects with TakeReply() (the window drains it from a timer).
//
// At most one command is on the wire. A routine command offered while another
// is waiting or in flight is refused, never queued, so a slow daemon cannot
// build up a backlog; an urgent one (stop, park) takes the single waiting
// place and goes out as soon as the wire is free.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kelvora {

struct HamlibRequest {
  std::string command;        // one protocol line without its newline, e.g. "P 180.00 30.00"
  int valueLines = 0;         // lines a successful reply carries ("p": 2); 0 when it is "RPRT n"
  bool numericValues = true;  // every value line must be one number
};

enum class RequestPriority { Routine, Urgent };

enum class ReplyOutcome {
  Ok,              // "RPRT 0" or the expected value lines
  Refused,         // "RPRT -n": the daemon or the device said no
  Garbled,         // not the protocol: a value that is no number, a stray line
  Timeout,         // no complete reply within the request time limit
  ConnectionLost,  // the connection closed or failed before the reply was complete
  Superseded,      // an urgent command took its waiting place before it was sent
};

struct HamlibReply {
  std::uint64_t id = 0;
  std::string command;
  ReplyOutcome outcome = ReplyOutcome::Ok;
  int code = 0;                     // the RPRT code, 0 when none was given
  std::vector<std::string> lines;   // the value lines, as received
  std::vector<double> values;       // the same, as numbers, when numericValues
  std::string text;                 // what happened, for the status line
};

enum class LinkState { NotConnected, Connecting, Connected };

struct LinkStatus {
  LinkState state = LinkState::NotConnected;
  std::string text;    // "not connected (connection refused), retry in 4 s", "connected to ..."
  std::string reason;  // why it is not connected ("Connection refused"), else empty
  int failures = 0;    // failed attempts in a row (connections that never answered count)
};

// Invalid is for wrappers that refuse a command before it reaches the client
// (a value that is NaN or outside the device's limits).
enum class SubmitResult { Accepted, Busy, NotConnected, Invalid };

struct HamlibClientTiming {
  std::chrono::milliseconds connectTimeout{3000};
  std::chrono::milliseconds requestTimeout{5000};
  // Back-off scale: the delays are ReconnectDelay(n) multiplied by this over
  // one second. Tests shorten it; the program keeps 1 s.
  std::chrono::milliseconds backoffUnit{1000};
};

class HamlibClient {
 public:
  HamlibClient(std::string host, int port, HamlibClientTiming timing = {});
  ~HamlibClient();
  HamlibClient(const HamlibClient&) = delete;
  HamlibClient& operator=(const HamlibClient&) = delete;

  // Offers a command. Accepted commands get an id (written to *id when given)
  // and exactly one reply later.
  SubmitResult Submit(HamlibRequest request, RequestPriority priority = RequestPriority::Routine,
                      std::uint64_t* id = nullptr);

  // The oldest reply not yet taken.
  std::optional<HamlibReply> TakeReply();

  LinkStatus Status() const;
  // Nothing waiting and nothing in flight.
  bool Idle() const;
  const std::string& Host() const { return host_; }
  int Port() const { return port_; }

  // For the program's exit: sends `request` as an urgent command if
  // connected and waits at most maxWait for its reply. Used to stop a
  // rotator on the way out; the only call here that waits.
  std::optional<HamlibReply> SendAndWait(HamlibRequest request,
                                         std::chrono::milliseconds maxWait);

 private:
  struct Pending {
    std::uint64_t id;
    HamlibRequest request;
  };

  void Run();
  bool Connect();
  void Disconnect(const std::string& why);
  HamlibReply Exchange(const Pending& pending);
  void Deliver(HamlibReply reply);
  void CheckIdleConnection();
  bool ShouldQuit() const;

  const std::string host_;
  const int port_;
  const HamlibClientTiming timing_;

  mutable std::mutex mutex_;
  std::condition_variable wake_;       // the worker: a command or quit
  std::condition_variable delivered_;  // SendAndWait: a reply arrived
  std::optional<Pending> waiting_;
  bool inFlight_ = false;
  bool quit_ = false;
  std::deque<HamlibReply> replies_;
  LinkState state_ = LinkState::Connecting;  // the first attempt starts at once
  std::string reason_;  // why the last attempt or connection failed
  int failures_ = 0;
  bool answered_ = false;  // the current connection gave a protocol answer
  std::chrono::steady_clock::time_point nextAttempt_{};
  std::uint64_t nextId_ = 1;

  int socket_ = -1;  // touched by the worker only
  std::thread worker_;
};

}  // namespace kelvora
