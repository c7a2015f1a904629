// Test helpers for WSJT-X itself (Debian's wsjtx 2.6.1): the program under
// an Xvfb display of its own, with a private home and temporary folder, sending
// its UDP messages to a loopback port; and udp_daemon, the reference server
// of the same package. Every process is stopped by its id.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ipc.h>
#include <sys/sem.h>
#include <sys/shm.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

extern char** environ;

namespace kelvora::testing {

namespace wsjtx_detail {

inline pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& env,
                   const std::string& logFile, int passFd = -1) {
  std::vector<std::string> words = args;
  std::vector<char*> argv;
  for (auto& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  std::vector<std::string> variables = env;
  std::vector<char*> envp;
  for (auto& v : variables) envp.push_back(v.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  if (passFd >= 0) posix_spawn_file_actions_adddup2(&actions, passFd, 3);
  pid_t pid = -1;
  const int error = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) {
    ADD_FAILURE() << args[0] << " could not be started (" << std::strerror(error)
                  << "); scripts/install-deps installs wsjtx and xvfb";
    return -1;
  }
  return pid;
}

// Children of `parent`, from /proc.
inline std::vector<pid_t> ChildrenOf(pid_t parent) {
  std::vector<pid_t> children;
  DIR* proc = opendir("/proc");
  if (proc == nullptr) return children;
  while (dirent* entry = readdir(proc)) {
    const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
    if (pid <= 0) continue;
    std::ifstream stat("/proc/" + std::string(entry->d_name) + "/stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(line.substr(close + 2));
    char state = 0;
    pid_t ppid = 0;
    rest >> state >> ppid;
    if (ppid == parent) children.push_back(pid);
  }
  closedir(proc);
  return children;
}

inline bool Gone(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return true;
  const std::size_t close = line.rfind(')');
  return close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'Z';
}

// SIGTERM, then SIGKILL after a while; our own children are reaped.
inline void StopProcess(pid_t pid, bool ownChild) {
  if (pid <= 0) return;
  ::kill(pid, SIGTERM);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  for (;;) {
    int status = 0;
    if (ownChild ? ::waitpid(pid, &status, WNOHANG) == pid : Gone(pid)) return;
    if (std::chrono::steady_clock::now() > deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ::kill(pid, SIGKILL);
  if (ownChild) {
    int status = 0;
    ::waitpid(pid, &status, 0);
  }
}

inline std::vector<std::string> EnvironmentWith(const std::vector<std::string>& overrides) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry(*e);
    const std::string name = entry.substr(0, entry.find('='));
    bool replaced = false;
    for (const std::string& o : overrides) replaced |= o.substr(0, o.find('=')) == name;
    if (!replaced) env.push_back(entry);
  }
  env.insert(env.end(), overrides.begin(), overrides.end());
  return env;
}

}  // namespace wsjtx_detail

// WSJT-X on an Xvfb display of its own. Its rig name (the test's process id)
// keeps its shared memory, lock file and settings apart from any other
// WSJT-X on the machine; with a rig name WSJT-X reads its settings from
// "WSJT-X - <rig name>.ini" and calls itself "WSJT-X - <rig name>".
class WsjtxUnderXvfb {
 public:
  WsjtxUnderXvfb(int udpPort, const std::string& call, const std::string& grid) {
    char pattern[] = "/tmp/kelvora_wsjtx_XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
      ADD_FAILURE() << "no scratch folder";
      return;
    }
    dir_ = pattern;
    namespace fs = std::filesystem;
    const std::string rig = "kelvora" + std::to_string(::getpid());
    id_ = "WSJT-X - " + rig;
    fs::create_directories(dir_ / "home/.config");
    fs::create_directories(dir_ / "home/.local/share");
    fs::create_directories(dir_ / "tmp");
    fs::create_directories(dir_ / "run");
    fs::permissions(dir_ / "run", fs::perms::owner_all);
    std::ofstream(dir_ / "home/.config" / (id_ + ".ini"))
        << "[Configuration]\nMyCall=" << call << "\nMyGrid=" << grid
        << "\nUDPServer=127.0.0.1\nUDPServerPort=" << udpPort << "\nAcceptUDPRequests=true\n";

    // Xvfb picks a free display and writes its number to the descriptor given.
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return;
    xvfb_ = wsjtx_detail::Spawn({"Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-screen", "0",
                                 "1280x1024x24"},
                                wsjtx_detail::EnvironmentWith({}), (dir_ / "xvfb.log").string(),
                                pipeFds[1]);
    ::close(pipeFds[1]);
    std::string display;
    pollfd p{pipeFds[0], POLLIN, 0};
    while (xvfb_ > 0 && display.find('\n') == std::string::npos && ::poll(&p, 1, 10'000) > 0) {
      char buffer[16];
      const ssize_t got = ::read(pipeFds[0], buffer, sizeof buffer);
      if (got <= 0) break;
      display.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(pipeFds[0]);
    if (display.find('\n') == std::string::npos) {
      ADD_FAILURE() << "Xvfb gave no display number";
      return;
    }
    display = ":" + display.substr(0, display.find('\n'));
    const std::string home = (dir_ / "home").string();
    wsjtx_ = wsjtx_detail::Spawn(
        {"wsjtx", "--rig-name=" + rig},
        wsjtx_detail::EnvironmentWith(
            {"HOME=" + home, "XDG_CONFIG_HOME=" + home + "/.config",
             "XDG_DATA_HOME=" + home + "/.local/share", "TMPDIR=" + (dir_ / "tmp").string(),
             "XDG_RUNTIME_DIR=" + (dir_ / "run").string(), "DISPLAY=" + display,
             "QT_QPA_PLATFORM=xcb"}),
        (dir_ / "wsjtx.log").string());
  }
  ~WsjtxUnderXvfb() { Stop(); }
  WsjtxUnderXvfb(const WsjtxUnderXvfb&) = delete;
  WsjtxUnderXvfb& operator=(const WsjtxUnderXvfb&) = delete;

  bool Started() const { return wsjtx_ > 0; }
  // The Id WSJT-X puts in its messages.
  const std::string& InstanceId() const { return id_; }
  std::string Log() const {
    std::ifstream in(dir_ / "wsjtx.log");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  // WSJT-X and its decoder jt9 by their ids, then the display. A killed
  // WSJT-X leaves its shared memory and semaphore behind: they are removed
  // by the keys Qt derives from the files in the private temporary folder.
  void Stop() {
    if (wsjtx_ > 0) {
      // jt9 first, so that WSJT-X, its parent, is still there to reap it.
      for (const pid_t helper : wsjtx_detail::ChildrenOf(wsjtx_)) {
        wsjtx_detail::StopProcess(helper, false);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (std::filesystem::exists("/proc/" + std::to_string(helper)) &&
               std::chrono::steady_clock::now() < deadline) {
          std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
      }
      wsjtx_detail::StopProcess(wsjtx_, true);
      wsjtx_ = -1;
    }
    if (xvfb_ > 0) {
      wsjtx_detail::StopProcess(xvfb_, true);
      xvfb_ = -1;
    }
    if (dir_.empty()) return;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir_ / "tmp", error)) {
      if (entry.path().filename().string().rfind("qipc_", 0) != 0) continue;
      const key_t key = ::ftok(entry.path().c_str(), 'Q');
      if (key == -1) continue;
      if (const int shm = ::shmget(key, 0, 0); shm >= 0) ::shmctl(shm, IPC_RMID, nullptr);
      if (const int sem = ::semget(key, 0, 0); sem >= 0) ::semctl(sem, 0, IPC_RMID);
    }
    std::filesystem::remove_all(dir_, error);
    dir_.clear();
  }

 private:
  std::filesystem::path dir_;
  std::string id_;
  pid_t xvfb_ = -1;
  pid_t wsjtx_ = -1;
};

// udp_daemon listening on a loopback port; what it prints is kept in a file.
class UdpDaemon {
 public:
  explicit UdpDaemon(int port) {
    char pattern[] = "/tmp/kelvora_udp_daemon_XXXXXX";
    if (mkdtemp(pattern) == nullptr) return;
    dir_ = pattern;
    pid_ = wsjtx_detail::Spawn({"udp_daemon", "-p", std::to_string(port)},
                               wsjtx_detail::EnvironmentWith({"QT_QPA_PLATFORM=offscreen"}),
                               (dir_ / "out.txt").string());
  }
  ~UdpDaemon() {
    wsjtx_detail::StopProcess(pid_, true);
    std::error_code error;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, error);
  }
  UdpDaemon(const UdpDaemon&) = delete;
  UdpDaemon& operator=(const UdpDaemon&) = delete;

  bool Started() const { return pid_ > 0; }
  std::string Output() const {
    std::ifstream in(dir_ / "out.txt");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

 private:
  std::filesystem::path dir_;
  pid_t pid_ = -1;
};

}  // namespace kelvora::testing
