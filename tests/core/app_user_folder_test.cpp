// The per-user folder: where it is, how it is made on first start, and the
// window program's own arguments.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/user_folder.h"

namespace kelvora {
namespace {

namespace fs = std::filesystem;

TEST(UserDataFolder, FollowsTheXdgRules) {
  struct Row {
    const char* name;
    const char* xdgDataHome;  // nullptr: unset
    const char* home;
    std::optional<fs::path> expected;
  };
  const Row rows[] = {
      {"xdg_data_home_wins", "/srv/data", "/home/op", fs::path("/srv/data/kelvora")},
      {"unset_falls_back_to_home", nullptr, "/home/op", fs::path("/home/op/.local/share/kelvora")},
      {"empty_counts_as_unset", "", "/home/op", fs::path("/home/op/.local/share/kelvora")},
      {"relative_is_ignored", "data", "/home/op", fs::path("/home/op/.local/share/kelvora")},
      {"no_usable_home", nullptr, nullptr, std::nullopt},
      {"relative_home_is_no_home", "", "op", std::nullopt},
      {"xdg_without_home", "/srv/data", nullptr, fs::path("/srv/data/kelvora")},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const Result<fs::path> folder = UserDataFolder(row.xdgDataHome, row.home);
    EXPECT_EQ(folder.ok() ? std::optional<fs::path>(*folder) : std::nullopt, row.expected);
  }
}

class PrepareUserFolderTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kelvora_user_folder_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    scratch_ = pattern;
    sample_ = scratch_ / "share" / "EME.DTA";
    fs::create_directories(sample_.parent_path());
    Write(sample_, "QK4AB sample line\n");
  }
  void TearDown() override {
    fs::permissions(scratch_, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(scratch_);
  }
  static void Write(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
  }
  static std::string Read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  fs::path scratch_;
  fs::path sample_;
};

TEST_F(PrepareUserFolderTest, FirstStartMakesTheFolderOwnerOnlyWithTheSample) {
  const fs::path folder = scratch_ / "data" / "deeper" / "kelvora";
  const Result<UserFolderSetup> setup = PrepareUserFolder(folder, sample_);
  ASSERT_TRUE(setup.ok()) << setup.reason();
  EXPECT_TRUE(setup->sample.ok()) << setup->sample.reason();
  EXPECT_TRUE(setup->created);
  EXPECT_TRUE(setup->sampleCopied);
  EXPECT_EQ(Read(folder / "EME.DTA"), "QK4AB sample line\n");
  // Every folder made on the way is the owner's alone.
  for (const fs::path& made : {scratch_ / "data", scratch_ / "data" / "deeper", folder}) {
    SCOPED_TRACE(made.string());
    struct stat info {};
    ASSERT_EQ(::stat(made.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
  }
}

TEST_F(PrepareUserFolderTest, AnExistingFolderIsLeftAsItIs) {
  struct Row {
    const char* name;
    const char* directoryText;  // nullptr: the operator removed EME.DTA
  };
  const Row rows[] = {{"operator_removed_the_directory", nullptr},
                      {"operator_replaced_the_directory", "QZ1OWN my own list\n"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const fs::path folder = scratch_ / row.name;
    fs::create_directory(folder);
    if (row.directoryText) Write(folder / "EME.DTA", row.directoryText);
    const Result<UserFolderSetup> setup = PrepareUserFolder(folder, sample_);
    ASSERT_TRUE(setup.ok()) << setup.reason();
    EXPECT_FALSE(setup->created);
    EXPECT_FALSE(setup->sampleCopied);
    if (row.directoryText) {
      EXPECT_EQ(Read(folder / "EME.DTA"), row.directoryText);
    } else {
      EXPECT_FALSE(fs::exists(folder / "EME.DTA"));
    }
  }
}

TEST_F(PrepareUserFolderTest, MissingSampleLeavesANoteAndAnUsableFolder) {
  const fs::path folder = scratch_ / "kelvora";
  const Result<UserFolderSetup> setup = PrepareUserFolder(folder, scratch_ / "no" / "EME.DTA");
  ASSERT_TRUE(setup.ok()) << setup.reason();
  EXPECT_TRUE(setup->created);
  EXPECT_FALSE(setup->sampleCopied);
  ASSERT_FALSE(setup->sample.ok());
  EXPECT_NE(setup->sample.reason().find("no sample directory"), std::string::npos)
      << setup->sample.reason();
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(PrepareUserFolderTest, FolderThatCannotBeMadeIsAFailure) {
  struct Row {
    const char* name;
    fs::path folder;
    const char* reason;
  };
  Write(scratch_ / "plain_file", "not a folder");
  const Row rows[] = {
      {"file_in_its_place", scratch_ / "plain_file", "is not a folder"},
      {"file_in_a_parent_place", scratch_ / "plain_file" / "kelvora", "plain_file is not a folder"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const Result<UserFolderSetup> setup = PrepareUserFolder(row.folder, sample_);
    ASSERT_FALSE(setup.ok());
    EXPECT_NE(setup.reason().find(row.folder.string()), std::string::npos) << setup.reason();
    EXPECT_NE(setup.reason().find(row.reason), std::string::npos) << setup.reason();
  }
}

TEST_F(PrepareUserFolderTest, UnwritableParentIsAFailure) {
  const fs::path parent = scratch_ / "locked";
  fs::create_directory(parent);
  // Folder permissions do not bind the superuser: when the tests run as root,
  // the folder is made as "nobody", who may look into the scratch folder but
  // not write in `parent`.
  const bool superuser = ::geteuid() == 0;
  constexpr uid_t kNobody = 65534;
  fs::permissions(scratch_, fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
  fs::permissions(parent, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                              fs::perms::others_exec);
  if (superuser) {
    ASSERT_EQ(::seteuid(kNobody), 0);
  }
  const Result<UserFolderSetup> setup = PrepareUserFolder(parent / "kelvora", sample_);
  if (superuser) {
    ASSERT_EQ(::seteuid(0), 0);
  }
  fs::permissions(parent, fs::perms::owner_all);
  ASSERT_FALSE(setup.ok());
  EXPECT_NE(setup.reason().find("Permission denied"), std::string::npos) << setup.reason();
}

TEST(StartArguments, OwnSwitchesAndTheRest) {
  struct Row {
    const char* name;
    std::vector<std::string> arguments;
    bool userFolder;
    bool showHelp;
    bool showVersion;
    const char* error;  // part of the message, nullptr: none
  };
  const Row rows[] = {
      {"no_arguments_use_the_current_folder", {}, false, false, false, nullptr},
      {"menu_switch", {"--user-folder"}, true, false, false, nullptr},
      {"help_long", {"--help"}, false, true, false, nullptr},
      {"help_short", {"-h"}, false, true, false, nullptr},
      {"version", {"--version"}, false, false, true, nullptr},
      {"unknown_switch", {"--user-folder", "--folder=/tmp"}, true, false, false, "'--folder=/tmp'"},
      {"stray_word", {"tick"}, false, false, false, "unknown argument 'tick'"},
      {"first_unknown_is_named", {"-x", "-y"}, false, false, false, "'-x'"},
      {"version_wins_over_qt_options", {"-platform", "offscreen", "--version"}, false, false, true,
       nullptr},
      {"help_wins_over_a_typo", {"--usr-folder", "--help"}, false, true, false, nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const Result<StartArguments> parsed = ParseStartArguments(row.arguments);
    if (row.error) {
      ASSERT_FALSE(parsed);
      EXPECT_NE(parsed.reason().find(row.error), std::string::npos) << parsed.reason();
      EXPECT_EQ(parsed.reason().find('\n'), std::string::npos);  // one line
    } else {
      ASSERT_TRUE(parsed) << parsed.reason();
      EXPECT_EQ(parsed->userFolder, row.userFolder);
      EXPECT_EQ(parsed->showHelp, row.showHelp);
      EXPECT_EQ(parsed->showVersion, row.showVersion);
    }
  }
}

}  // namespace
}  // namespace kelvora
