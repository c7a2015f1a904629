// Directory searches as the two station dialogs run them. Targets: under
// 20 us through the 31-station sample, under 100 ms through a 50 MB file.
// Each iteration searches for the next call of a shuffled list, so neither
// the page cache of one spot nor the branch predictor flatters the figure.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "stations/directory.h"

namespace kelvora {
namespace {

namespace fs = std::filesystem;

fs::path SampleFile() {
  return fs::path(__FILE__).parent_path().parent_path() / "resources" / kDirectoryFileName;
}

// The calls of a directory file up to its end line, plus calls it does not
// hold (each of those reads the whole file), shuffled.
std::vector<std::string> ShuffledCalls(const fs::path& file, std::size_t every) {
  std::vector<std::string> calls;
  std::ifstream in(file, std::ios::binary);
  std::string line;
  for (std::size_t n = 0; std::getline(in, line) && !line.starts_with('\\'); ++n) {
    if (n % every == 0) calls.push_back(line.substr(0, line.find(' ')));
  }
  for (std::size_t i = 0; i < std::max<std::size_t>(1, calls.size() / 4); ++i) {
    calls.push_back("QZ" + std::to_string(i) + "NONE");
  }
  std::shuffle(calls.begin(), calls.end(), std::mt19937(20240115));
  return calls;
}

void Search(benchmark::State& state, const fs::path& file, const std::vector<std::string>& calls) {
  std::size_t next = 0;
  for (auto _ : state) {
    DirectoryResult result = ReadDirectory(file, calls[next], DirectoryMode::Display);
    benchmark::DoNotOptimize(result);
    next = (next + 1) % calls.size();
  }
}

void BM_DirectorySampleSearch(benchmark::State& state) {
  static const std::vector<std::string> calls = ShuffledCalls(SampleFile(), 1);
  Search(state, SampleFile(), calls);
}
BENCHMARK(BM_DirectorySampleSearch);

// A 50 MB directory of 200000 records of the sample's width, written once to
// a temporary folder and removed at exit.
struct LargeDirectory {
  fs::path folder;
  fs::path file;
  LargeDirectory() {
    char pattern[] = "/tmp/kelvora_bench_dir_XXXXXX";
    if (mkdtemp(pattern) == nullptr) std::abort();
    folder = pattern;
    file = folder / kDirectoryFileName;
    std::ofstream out(file, std::ios::binary);
    std::string record(249, ' ');
    for (int i = 0; i < 200000; ++i) {
      const std::string call = "QL" + std::to_string(i);
      record.replace(0, 11, call + std::string(11 - call.size(), ' '));
      record.replace(11, 20, "LARGE FILE OPERATOR ");
      record.replace(181, 6, "JO62QM");
      out << record << "\r\n";
    }
    out << "\\\r\n";
  }
  ~LargeDirectory() { fs::remove_all(folder); }
};

void BM_DirectoryLargeFileSearch(benchmark::State& state) {
  static const LargeDirectory large;
  // Calls from the whole file, so most searches read a large part of it.
  static const std::vector<std::string> calls = ShuffledCalls(large.file, 4999);
  state.counters["file_MB"] = static_cast<double>(fs::file_size(large.file)) / 1e6;
  Search(state, large.file, calls);
}
BENCHMARK(BM_DirectoryLargeFileSearch)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelvora
