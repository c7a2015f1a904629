// Test helpers for Hamlib's daemons: start a real rotctld/rigctld on a free
// loopback port and stop it by its process id, and a small scripted server
// that plays a misbehaving daemon.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

extern char** environ;

namespace kelvora::testing {

// A loopback port nobody listens on right now (the kernel picks it).
inline int FreeLoopbackPort() {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = 0;
  ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t length = sizeof a;
  ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &length);
  ::close(s);
  return ntohs(a.sin_port);
}

// What the daemon on the port first sends back for one command (at most 64
// bytes, waiting a second at most); empty when it does not answer.
inline std::string LoopbackReply(int port, const char* command) {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  if (s < 0) return {};
  timeval limit{1, 0};
  ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<std::uint16_t>(port));
  std::string reply;
  if (::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
    const std::string line = std::string(command) + "\n";
    if (::send(s, line.data(), line.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(line.size())) {
      char buffer[64];
      const ssize_t got = ::recv(s, buffer, sizeof buffer, 0);
      if (got > 0) reply.assign(buffer, static_cast<std::size_t>(got));
    }
  }
  ::close(s);
  return reply;
}

// True once the daemon on the port answers a read command ("p" for the
// rotator, "f" for the rig) with a line: a listening socket alone can come
// before the daemon serves its clients.
inline bool LoopbackAnswers(int port, const char* command) {
  return LoopbackReply(port, command).find('\n') != std::string::npos;
}

inline bool LoopbackAccepts(int port) {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<std::uint16_t>(port));
  const bool ok = ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  ::close(s);
  return ok;
}

// A Hamlib daemon with model 1 (the simulator) on 127.0.0.1:port. A missing
// program fails the test with a message; it is never skipped.
class HamlibDaemon {
 public:
  HamlibDaemon(std::string program, int port) : program_(std::move(program)), port_(port) {
    Start();
  }
  ~HamlibDaemon() { Stop(); }
  HamlibDaemon(const HamlibDaemon&) = delete;
  HamlibDaemon& operator=(const HamlibDaemon&) = delete;

  int Port() const { return port_; }
  bool Running() const { return pid_ > 0; }
  // For freezing it (SIGSTOP) and thawing it (SIGCONT).
  pid_t Pid() const { return pid_; }

  void Start() {
    if (pid_ > 0) return;
    const std::string portText = std::to_string(port_);
    std::vector<std::string> args = {program_, "-m", "1", "-T", "127.0.0.1", "-t", portText};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int error = ::posix_spawnp(&pid, program_.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
      ADD_FAILURE() << program_ << " could not be started (" << std::strerror(error)
                    << "); install Debian's libhamlib-utils (scripts/install-deps does)";
      return;
    }
    pid_ = pid;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    const char* probe = program_ == "rotctld" ? "p" : "f";
    while (!LoopbackAnswers(port_, probe)) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        ADD_FAILURE() << program_ << " exited at once on port " << port_;
        return;
      }
      if (std::chrono::steady_clock::now() > deadline) {
        ADD_FAILURE() << program_ << " did not answer on port " << port_ << " within 5 s";
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }

  void Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid_ = -1;
  }

 private:
  std::string program_;
  int port_;
  pid_t pid_ = -1;
};

// What the scripted server does with one received line.
struct ScriptStep {
  std::string bytes;                       // sent back (may be partial or garbage)
  std::chrono::milliseconds delay{0};      // before sending
  bool closeAfter = false;                 // drop the connection after sending
};

// A one-connection-at-a-time server on a loopback port that answers each
// received line as the script says and remembers what it was sent.
class ScriptedServer {
 public:
  using Script = std::function<ScriptStep(const std::string& line)>;

  explicit ScriptedServer(Script script) : script_(std::move(script)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    const int yes = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t length = sizeof a;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &length);
    port_ = ntohs(a.sin_port);
    ::listen(listener_, 4);
    thread_ = std::thread([this] { Serve(); });
  }
  ~ScriptedServer() {
    stop_ = true;
    thread_.join();
    ::close(listener_);
  }
  ScriptedServer(const ScriptedServer&) = delete;
  ScriptedServer& operator=(const ScriptedServer&) = delete;

  int Port() const { return port_; }
  int Connections() const { return connections_; }
  std::vector<std::string> Received() const {
    std::lock_guard lock(mutex_);
    return received_;
  }

 private:
  bool Wait(int fd, short events) {
    while (!stop_) {
      pollfd p{fd, events, 0};
      if (::poll(&p, 1, 20) > 0) return true;
    }
    return false;
  }

  void Serve() {
    while (Wait(listener_, POLLIN)) {
      const int fd = ::accept(listener_, nullptr, nullptr);
      if (fd < 0) continue;
      ++connections_;
      std::string pending;
      bool open = true;
      while (open && Wait(fd, POLLIN)) {
        char buffer[256];
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        pending.append(buffer, static_cast<std::size_t>(got));
        std::size_t newline;
        while (open && (newline = pending.find('\n')) != std::string::npos) {
          const std::string line = pending.substr(0, newline);
          pending.erase(0, newline + 1);
          {
            std::lock_guard lock(mutex_);
            received_.push_back(line);
          }
          const ScriptStep step = script_(line);
          const auto until = std::chrono::steady_clock::now() + step.delay;
          while (!stop_ && std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
          }
          if (!step.bytes.empty()) ::send(fd, step.bytes.data(), step.bytes.size(), MSG_NOSIGNAL);
          if (step.closeAfter) open = false;
        }
      }
      ::close(fd);
    }
  }

  Script script_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> connections_{0};
  mutable std::mutex mutex_;
  std::vector<std::string> received_;
  std::thread thread_;
};

}  // namespace kelvora::testing
