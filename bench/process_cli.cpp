// What one `kelvora-cli tick` process costs from exec to exit: the CPU time
// of the process (user + system, from wait4) and its peak resident memory.
//
// The child is started with vfork, so that copying and freeing this
// program's page tables is not charged to it. Its peak is read from
// /proc/<pid>/status (VmHWM) at the moment it exits, caught with ptrace's
// exit event. wait4's ru_maxrss cannot be used: the kernel carries the
// parent's peak across exec, so every child of this program would report
// this program's size.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "varied_moments.h"

namespace {

struct ProcessCost {
  double cpuSeconds = 0;
  long peakKiB = 0;
  bool ok = false;
};

long PeakResidentKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return 0;
}

ProcessCost RunOnce(const std::string& clock, const std::string& home) {
  const pid_t pid = ::vfork();
  if (pid == 0) {  // only system calls until exec: the parent's memory is shared
    const int devNull = ::open("/dev/null", O_WRONLY);
    ::dup2(devNull, 1);
    ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
    ::execl(KELVORA_CLI_PATH, "kelvora-cli", "tick", "--clock", clock.c_str(), "--home",
            home.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ProcessCost cost;
  if (pid < 0) return cost;
  int status = 0;
  rusage usage{};
  bool optionsSet = false;
  while (::wait4(pid, &status, 0, &usage) == pid) {
    if (WIFEXITED(status) || WIFSIGNALED(status)) {
      cost.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
      cost.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                        static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
      return cost;
    }
    int forward = 0;
    if (!optionsSet) {  // the stop after exec
      ::ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACEEXIT);
      optionsSet = true;
    } else if (status >> 8 == (SIGTRAP | (PTRACE_EVENT_EXIT << 8))) {
      cost.peakKiB = PeakResidentKiB(pid);
    } else if (WIFSTOPPED(status)) {
      forward = WSTOPSIG(status);
    }
    ::ptrace(PTRACE_CONT, pid, nullptr, forward);
  }
  return cost;
}

// One process per iteration at a varied moment and home; the iteration's time
// is the process's own CPU time, so the figure does not depend on how busy the
// machine is with other work.
void BM_CliTickProcess(benchmark::State& state) {
  kelvora::bench::MomentCursor cursor;
  long peakKiB = 0;
  for (auto _ : state) {
    const auto& m = cursor.Next();
    char home[64];
    std::snprintf(home, sizeof home, "%.2f,%.2f", m.site.latitude, m.site.longitude);
    const ProcessCost cost = RunOnce(std::to_string(m.utc), home);
    if (!cost.ok) {
      state.SkipWithError("kelvora-cli tick failed");
      return;
    }
    state.SetIterationTime(cost.cpuSeconds);
    peakKiB = std::max(peakKiB, cost.peakKiB);
  }
  state.counters["peak_KiB"] = static_cast<double>(peakKiB);
}
BENCHMARK(BM_CliTickProcess)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(400);

}  // namespace
