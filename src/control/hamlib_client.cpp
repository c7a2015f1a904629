#include "control/hamlib_client.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <utility>

#include "control/hamlib_protocol.h"

namespace kelvora {
namespace {

using Clock = std::chrono::steady_clock;

// How often a waiting worker looks at the quit flag and at an idle connection.
constexpr std::chrono::milliseconds kWorkerSlice{100};
// Replies nobody collects are dropped beyond this many, oldest first.
constexpr std::size_t kMaxUnreadReplies = 64;

int MillisecondsUntil(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  if (left.count() <= 0) return 0;
  return static_cast<int>(std::min(left, kWorkerSlice).count());
}

std::string Endpoint(const std::string& host, int port) {
  return host + ":" + std::to_string(port);
}

}  // namespace

HamlibClient::HamlibClient(std::string host, int port, HamlibClientTiming timing)
    : host_(std::move(host)), port_(port), timing_(timing) {
  worker_ = std::thread([this] { Run(); });
}

HamlibClient::~HamlibClient() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
  }
  wake_.notify_all();
  worker_.join();
  if (socket_ >= 0) ::close(socket_);
}

SubmitResult HamlibClient::Submit(HamlibRequest request, RequestPriority priority,
                                  std::uint64_t* id) {
  std::optional<HamlibReply> superseded;
  {
    std::lock_guard lock(mutex_);
    if (state_ != LinkState::Connected) return SubmitResult::NotConnected;
    if (priority == RequestPriority::Routine && (waiting_ || inFlight_)) return SubmitResult::Busy;
    if (waiting_) {
      superseded = HamlibReply{};
      superseded->id = waiting_->id;
      superseded->command = waiting_->request.command;
      superseded->outcome = ReplyOutcome::Superseded;
      superseded->text = "not sent: " + request.command + " came first";
    }
    const std::uint64_t assigned = nextId_++;
    if (id) *id = assigned;
    waiting_ = Pending{assigned, std::move(request)};
  }
  if (superseded) Deliver(std::move(*superseded));
  wake_.notify_all();
  return SubmitResult::Accepted;
}

std::optional<HamlibReply> HamlibClient::TakeReply() {
  std::lock_guard lock(mutex_);
  if (replies_.empty()) return std::nullopt;
  HamlibReply reply = std::move(replies_.front());
  replies_.pop_front();
  return reply;
}

LinkStatus HamlibClient::Status() const {
  std::lock_guard lock(mutex_);
  LinkStatus status;
  status.state = state_;
  status.failures = failures_;
  switch (state_) {
    case LinkState::Connected:
      status.text = "connected to " + Endpoint(host_, port_);
      break;
    case LinkState::Connecting:
      status.text = "connecting to " + Endpoint(host_, port_);
      break;
    case LinkState::NotConnected: {
      // Whole seconds rounded up: "retry in 1 s" until the attempt starts.
      const auto left =
          std::chrono::ceil<std::chrono::seconds>(nextAttempt_ - Clock::now()).count();
      status.reason = reason_;
      status.text = "not connected (" + reason_ + ")";
      if (left > 0) status.text += ", retry in " + std::to_string(left) + " s";
      break;
    }
  }
  return status;
}

bool HamlibClient::Idle() const {
  std::lock_guard lock(mutex_);
  return !waiting_ && !inFlight_;
}

std::optional<HamlibReply> HamlibClient::SendAndWait(HamlibRequest request,
                                                     std::chrono::milliseconds maxWait) {
  std::uint64_t id = 0;
  if (Submit(std::move(request), RequestPriority::Urgent, &id) != SubmitResult::Accepted) {
    return std::nullopt;
  }
  std::unique_lock lock(mutex_);
  const auto deadline = Clock::now() + maxWait;
  std::optional<HamlibReply> found;
  delivered_.wait_until(lock, deadline, [&] {
    for (auto it = replies_.begin(); it != replies_.end(); ++it) {
      if (it->id == id) {
        found = std::move(*it);
        replies_.erase(it);
        return true;
      }
    }
    return false;
  });
  return found;
}

bool HamlibClient::ShouldQuit() const {
  std::lock_guard lock(mutex_);
  return quit_;
}

void HamlibClient::Deliver(HamlibReply reply) {
  {
    std::lock_guard lock(mutex_);
    replies_.push_back(std::move(reply));
    while (replies_.size() > kMaxUnreadReplies) replies_.pop_front();
  }
  delivered_.notify_all();
}

void HamlibClient::Run() {
  for (;;) {
    std::unique_lock lock(mutex_);
    if (quit_) return;
    if (state_ != LinkState::Connected) {
      if (waiting_) {
        // Offered while connected, never sent: it is stale by the time a
        // new connection exists.
        HamlibReply lost;
        lost.id = waiting_->id;
        lost.command = waiting_->request.command;
        lost.outcome = ReplyOutcome::ConnectionLost;
        lost.text = "not sent: connection lost";
        waiting_.reset();
        lock.unlock();
        Deliver(std::move(lost));
        continue;
      }
      if (Clock::now() < nextAttempt_) {
        wake_.wait_until(lock, std::min(nextAttempt_, Clock::now() + kWorkerSlice));
        continue;
      }
      state_ = LinkState::Connecting;
      lock.unlock();
      const bool ok = Connect();
      lock.lock();
      if (ok) {
        // The failures count on until the daemon gives a protocol answer: one
        // that accepts connections but answers garbage backs off like one
        // that refuses them.
        state_ = LinkState::Connected;
        answered_ = false;
        reason_.clear();
      } else {
        state_ = LinkState::NotConnected;
        ++failures_;
        nextAttempt_ = Clock::now() + timing_.backoffUnit * ReconnectDelay(failures_).count() / 1000;
      }
      continue;
    }
    if (!waiting_) {
      wake_.wait_for(lock, kWorkerSlice, [this] { return quit_ || waiting_.has_value(); });
      if (quit_) return;
      if (!waiting_) {
        lock.unlock();
        CheckIdleConnection();
        continue;
      }
    }
    Pending pending = std::move(*waiting_);
    waiting_.reset();
    inFlight_ = true;
    lock.unlock();
    HamlibReply reply = Exchange(pending);
    lock.lock();
    inFlight_ = false;
    if (reply.outcome == ReplyOutcome::Ok || reply.outcome == ReplyOutcome::Refused) {
      answered_ = true;
      failures_ = 0;
    }
    lock.unlock();
    Deliver(std::move(reply));
  }
}

bool HamlibClient::Connect() {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port_);
  const int resolved = ::getaddrinfo(host_.c_str(), service.c_str(), &hints, &found);
  if (resolved != 0) {
    std::lock_guard lock(mutex_);
    reason_ = std::string("unknown host: ") + ::gai_strerror(resolved);
    return false;
  }
  std::string why = "no address";
  const auto deadline = Clock::now() + timing_.connectTimeout;
  for (addrinfo* a = found; a != nullptr && socket_ < 0; a = a->ai_next) {
    const int s = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                           a->ai_protocol);
    if (s < 0) {
      why = std::strerror(errno);
      continue;
    }
    int error = 0;
    if (::connect(s, a->ai_addr, a->ai_addrlen) != 0) {
      error = errno;
      if (error == EINPROGRESS) {
        error = ETIMEDOUT;
        while (Clock::now() < deadline && !ShouldQuit()) {
          pollfd p{s, POLLOUT, 0};
          const int ready = ::poll(&p, 1, MillisecondsUntil(deadline));
          if (ready > 0) {
            socklen_t length = sizeof error;
            ::getsockopt(s, SOL_SOCKET, SO_ERROR, &error, &length);
            break;
          }
          if (ready < 0 && errno != EINTR) {
            error = errno;
            break;
          }
        }
      }
    }
    if (error == 0) {
      socket_ = s;
    } else {
      why = error == ETIMEDOUT ? "no answer" : std::strerror(error);
      ::close(s);
    }
  }
  ::freeaddrinfo(found);
  if (socket_ < 0) {
    std::lock_guard lock(mutex_);
    reason_ = why;
    return false;
  }
  return true;
}

void HamlibClient::Disconnect(const std::string& why) {
  if (socket_ >= 0) ::close(socket_);
  socket_ = -1;
  std::lock_guard lock(mutex_);
  state_ = LinkState::NotConnected;
  reason_ = why;
  // A connection that served answers is retried after the first back-off
  // step; one that never did counts as one more failed attempt.
  if (answered_) {
    failures_ = 0;
  } else {
    ++failures_;
  }
  nextAttempt_ = Clock::now() + timing_.backoffUnit * ReconnectDelay(failures_).count() / 1000;
}

void HamlibClient::CheckIdleConnection() {
  pollfd p{socket_, POLLIN, 0};
  if (::poll(&p, 1, 0) <= 0) return;
  std::array<char, 512> buffer{};
  const ssize_t got = ::recv(socket_, buffer.data(), buffer.size(), 0);
  if (got == 0) {
    Disconnect("connection closed by the daemon");
  } else if (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
    Disconnect(std::strerror(errno));
  }
  // Bytes nobody asked for are dropped: they belong to no command.
}

HamlibReply HamlibClient::Exchange(const Pending& pending) {
  HamlibReply reply;
  reply.id = pending.id;
  reply.command = pending.request.command;
  const auto fail = [&](ReplyOutcome outcome, const std::string& text, bool drop) {
    reply.outcome = outcome;
    reply.text = text;
    if (drop) Disconnect(text);
    return reply;
  };

  const auto deadline = Clock::now() + timing_.requestTimeout;
  const std::string line = pending.request.command + "\n";
  std::size_t sent = 0;
  while (sent < line.size()) {
    if (ShouldQuit()) return fail(ReplyOutcome::ConnectionLost, "client closing", false);
    if (Clock::now() >= deadline) return fail(ReplyOutcome::Timeout, "send timed out", true);
    const ssize_t n = ::send(socket_, line.data() + sent, line.size() - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
      pollfd p{socket_, POLLOUT, 0};
      ::poll(&p, 1, MillisecondsUntil(deadline));
      continue;
    }
    return fail(ReplyOutcome::ConnectionLost, std::string("connection lost: ") + std::strerror(errno),
                true);
  }

  LineSplitter splitter;
  std::array<char, 512> buffer{};
  for (;;) {
    while (auto text = splitter.NextLine()) {
      if (const auto code = ParseReport(*text)) {
        reply.code = *code;
        if (*code == 0 && pending.request.valueLines == 0) {
          reply.text = "ok";
          return reply;
        }
        if (*code == 0) {
          return fail(ReplyOutcome::Garbled, "RPRT 0 where values were expected", true);
        }
        return fail(ReplyOutcome::Refused,
                    "RPRT " + std::to_string(*code) + ": " + HamlibErrorText(*code), false);
      }
      if (pending.request.valueLines == 0) {
        return fail(ReplyOutcome::Garbled, "unexpected reply \"" + *text + "\"", true);
      }
      if (pending.request.numericValues) {
        const auto value = ParseStrictNumber(*text);
        if (!value) return fail(ReplyOutcome::Garbled, "not a number: \"" + *text + "\"", true);
        reply.values.push_back(*value);
      }
      reply.lines.push_back(std::move(*text));
      if (static_cast<int>(reply.lines.size()) == pending.request.valueLines) {
        reply.text = "ok";
        return reply;
      }
    }
    if (splitter.Overflowed()) return fail(ReplyOutcome::Garbled, "reply line too long", true);
    if (ShouldQuit()) return fail(ReplyOutcome::ConnectionLost, "client closing", false);
    if (Clock::now() >= deadline) {
      return fail(ReplyOutcome::Timeout, "no reply within " +
                                             std::to_string(timing_.requestTimeout.count()) + " ms",
                  true);
    }
    pollfd p{socket_, POLLIN, 0};
    const int ready = ::poll(&p, 1, MillisecondsUntil(deadline));
    if (ready <= 0) continue;
    const ssize_t got = ::recv(socket_, buffer.data(), buffer.size(), 0);
    if (got == 0) {
      return fail(ReplyOutcome::ConnectionLost, "connection closed in the middle of a reply", true);
    }
    if (got < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) continue;
      return fail(ReplyOutcome::ConnectionLost,
                  std::string("connection lost: ") + std::strerror(errno), true);
    }
    splitter.Append(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
  }
}

}  // namespace kelvora
