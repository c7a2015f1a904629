// kelvora-cli --version prints the project's version and its licence, and only them.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

namespace {

struct Output {
  int status = -1;
  std::string text;
};

Output RunCli(const std::string& arguments) {
  Output out;
  const std::string command = std::string(KELVORA_CLI_PATH) + " " + arguments + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  std::array<char, 256> buffer{};
  while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) out.text += buffer.data();
  const int status = pclose(pipe);
  out.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return out;
}

TEST(CliVersion, PrintsTheProjectVersion) {
  struct Row {
    const char* name;
    const char* arguments;
    int status;
    std::string text;
  };
  const Row rows[] = {
      {"alone", "--version", 0, std::string("kelvora-cli ") + KELVORA_VERSION + "\n"},
      {"before_a_subcommand", "--version tick", 0,
       std::string("kelvora-cli ") + KELVORA_VERSION + "\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const Output out = RunCli(row.arguments);
    EXPECT_EQ(out.status, row.status);
    // The version line, then the licence line, and nothing more.
    const std::size_t end = out.text.find('\n');
    ASSERT_NE(end, std::string::npos) << out.text;
    EXPECT_EQ(out.text.substr(0, end + 1), row.text);
    EXPECT_EQ(out.text.find("Licence GPL-3.0-or-later: "), end + 1) << out.text;
    EXPECT_EQ(out.text.find('\n', end + 1), out.text.size() - 1) << out.text;
  }
}

TEST(CliVersion, IsNoSubcommandOption) {
  const Output out = RunCli("tick --version");
  EXPECT_EQ(out.status, 2);
  EXPECT_NE(out.text.find("--version"), std::string::npos) << out.text;
  EXPECT_EQ(out.text.find('\n'), out.text.size() - 1) << out.text;  // one line
}

}  // namespace
