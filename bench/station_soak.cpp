// Station control left running, accelerated: two hours of tracking (one
// simulated second a period, 25 ms apart) with the real rotctld and
// rigctld simulators killed and restarted every five simulated minutes.
// Prints the resident memory at start and end, the commands sent and the
// largest distance between an accepted move and the target when it was
// accepted (a stale move replayed after a restart would show there). A
// separate program, not run by CI: `build/bench/kelvora_station_soak`.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "astro/moon.h"
#include "control/station_service.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;
using namespace kelvora;

constexpr int kPeriods = 2 * 3600;        // simulated seconds
constexpr int kRestartEvery = 5 * 60;     // simulated seconds
constexpr auto kRealPeriod = 25ms;
constexpr std::int64_t k2024Mar1 = 1709251200;

int FreePort() {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t length = sizeof a;
  ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &length);
  ::close(s);
  return ntohs(a.sin_port);
}

pid_t Spawn(const std::string& program, int port) {
  std::vector<std::string> args = {program, "-m", "1", "-T", "127.0.0.1", "-t",
                                   std::to_string(port)};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  if (::posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

void Kill(pid_t pid) {
  if (pid <= 0) return;
  ::kill(pid, SIGKILL);
  int status = 0;
  ::waitpid(pid, &status, 0);
}

long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

}  // namespace

int main() {
  const int rotPort = FreePort();
  const int rigPort = FreePort();
  pid_t rot = Spawn("rotctld", rotPort);
  pid_t rig = Spawn("rigctld", rigPort);
  if (rot <= 0 || rig <= 0) {
    std::fprintf(stderr, "station_soak: rotctld and rigctld are needed (libhamlib-utils)\n");
    return 2;
  }
  std::this_thread::sleep_for(500ms);

  TrackerModel model;
  model.home.latitude = 29.42;  // the program's default home
  model.home.longitude = 95.36;
  StationConfig config;
  config.rotator.port = rotPort;
  config.radio.port = rigPort;
  config.radio.control.method = DopplerMethod::OwnEcho;
  config.radio.control.dialHz = 1296e6;
  // Start with the moon climbing past 20 degrees, so the two hours are
  // spent following it rather than waiting for its rise.
  std::int64_t start = k2024Mar1;
  const auto elevation = [&](std::int64_t t) {
    return MoonPosition(model.home.latitude, model.home.longitude, t, TimeBase{})->elevation;
  };
  while (!(elevation(start) > 20 && elevation(start + 3600) > elevation(start))) start += 600;
  StationService service(model, config, {1000ms, 1000ms, 100ms});
  if (const Status tracking = service.Track(); !tracking) {
    std::fprintf(stderr, "station_soak: %s\n", tracking.reason().c_str());
    Kill(rot);
    Kill(rig);
    return 2;
  }
  service.TrackRadio(true);

  long rssStart = 0;
  std::uint64_t moves = 0;
  double worstAccepted = 0;
  int restarts = 0;
  // After a restart: the old connection noticed gone, then a reading on the
  // new one. A move accepted before that reading would be a stale one.
  enum class Phase { Steady, Restarted, Disconnected, Read } phase = Phase::Steady;
  int staleMoves = 0;
  int followingMoves = 0;
  for (int second = 0; second < kPeriods; ++second) {
    const std::int64_t utc = start + second;
    if (second > 0 && second % kRestartEvery == 0) {
      Kill(rot);
      Kill(rig);
      rot = Spawn("rotctld", rotPort);
      rig = Spawn("rigctld", rigPort);
      ++restarts;
      phase = Phase::Restarted;
    }
    service.RadioPeriod(utc);
    service.RotatorPeriod(utc);
    const auto next = std::chrono::steady_clock::now() + kRealPeriod;
    while (std::chrono::steady_clock::now() < next) {
      std::this_thread::sleep_for(5ms);
      service.Poll();
      const RotatorReport& r = service.Rotator();
      if (phase == Phase::Restarted && r.link.state != LinkState::Connected) {
        phase = Phase::Disconnected;
      }
      if (phase == Phase::Disconnected && r.link.state == LinkState::Connected && r.reported) {
        phase = Phase::Read;
      }
      if (r.movesSent > moves) {
        if (phase == Phase::Disconnected) ++staleMoves;
        if (phase == Phase::Read) phase = Phase::Steady;
        // Following the target (not waiting at its rise direction): the
        // accepted move lies within the lead of where the target is.
        const bool following = r.state == RotatorState::Moving ||
                               r.state == RotatorState::OnTarget ||
                               r.state == RotatorState::Stalled;
        if (following && r.commanded && r.target) {
          ++followingMoves;
          const AzEl sky = FromRotatorFrame(config.rotator.setup, *r.commanded);
          worstAccepted = std::max(worstAccepted, SkySeparation(sky, *r.target));
        }
        moves = r.movesSent;
      }
    }
    if (second == 60) rssStart = ResidentKiB();  // after the first minute's allocations
  }
  // The way out: a stop, answered.
  service.Stop();
  for (int i = 0; i < 200 && service.Rotator().state == RotatorState::StopPending; ++i) {
    std::this_thread::sleep_for(10ms);
    service.Poll();
  }
  const long rssEnd = ResidentKiB();
  const RadioSession* radio = service.Radio();
  std::printf("simulated %d s, %d restarts of both daemons\n", kPeriods, restarts);
  std::printf("rss start %ld KiB, end %ld KiB, growth %ld KiB\n", rssStart, rssEnd,
              rssEnd - rssStart);
  std::printf("rotator moves accepted %llu, stops answered %llu\n",
              static_cast<unsigned long long>(service.Rotator().movesSent),
              static_cast<unsigned long long>(service.Rotator().stopsAnswered));
  if (radio) {
    std::printf("radio periods %llu, skipped %llu\n",
                static_cast<unsigned long long>(radio->report().periods),
                static_cast<unsigned long long>(radio->report().skippedPeriods));
  }
  std::printf("moves while following the moon %d\n", followingMoves);
  std::printf("largest accepted move to target %.3f deg; moves accepted before a fresh reading "
              "after a restart: %d\n",
              worstAccepted, staleMoves);
  Kill(rot);
  Kill(rig);
  return rssEnd - rssStart <= 1024 && staleMoves == 0 ? 0 : 1;
}
