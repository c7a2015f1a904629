// Runs kelvora-cli as a user would: in a scratch folder of its own, with its
// output caught in two files there. No shell stands between the test and the
// tool, so every argument arrives exactly as written.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace kelvora::cli_test {

namespace fs = std::filesystem;

struct CliOutcome {
  int status = -1;  // exit status; -1 when the tool did not exit normally
  std::string out;
  std::string err;
};

inline std::string Slurp(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Words of a command line written as one string ("--dx FN42 --days 3").
inline std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

// Starts the tool in `folder`; -1 when it could not be started.
inline pid_t StartCli(const fs::path& folder, std::vector<std::string> args) {
  args.insert(args.begin(), KELVORA_CLI_PATH);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  posix_spawn_file_actions_addopen(&actions, 1, (folder / "out.txt").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, (folder / "err.txt").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = -1;
  EXPECT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

inline CliOutcome WaitCli(const fs::path& folder, pid_t pid) {
  CliOutcome outcome;
  int status = 0;
  if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
    outcome.status = WEXITSTATUS(status);
  }
  outcome.out = Slurp(folder / "out.txt");
  outcome.err = Slurp(folder / "err.txt");
  return outcome;
}

inline CliOutcome RunCli(const fs::path& folder, std::vector<std::string> args) {
  return WaitCli(folder, StartCli(folder, std::move(args)));
}

// A test with an empty scratch folder of its own, removed afterwards.
class CliFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kelvora_cli_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { fs::remove_all(folder_); }

  CliOutcome Run(std::vector<std::string> args) { return RunCli(folder_, std::move(args)); }

  fs::path folder_;
};

}  // namespace kelvora::cli_test
