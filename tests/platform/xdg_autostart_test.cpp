#include "platform/linux/xdg_autostart.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/child_process.hpp"
#include "tests/support/file_helpers.hpp"

namespace orvessa {
namespace {

using namespace testing;

const char* const kShipped =
    "[Desktop Entry]\nType=Application\nName=Orvessa\nExec=orvessa\nIcon=org.orvessa.Orvessa\n"
    "Terminal=false\n";

// Passes desktop-file-validate, where the tool is installed.
void ExpectValid(const std::string& entry) {
  if (std::system("command -v desktop-file-validate >/dev/null") != 0) {
    std::puts("desktop-file-validate is not installed: entry not validated");
    return;
  }
  const std::string command = "desktop-file-validate '" + entry + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << ReadText(entry);
}

class XdgAutostartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("HOME", (temp_ / "home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", config_.c_str(), 1);
    ::setenv("XDG_CONFIG_DIRS", ((temp_ / "etc1") + ":" + (temp_ / "etc2")).c_str(), 1);
    WriteText(shipped_, kShipped);
  }

  TempFolder temp_;
  const std::string config_ = temp_ / "config";
  const std::string entry_ = config_ + "/autostart/org.orvessa.Orvessa.desktop";
  const std::string shipped_ = temp_ / "data/autostart/org.orvessa.Orvessa.desktop";
  XdgAutostart autostart_{shipped_, "/opt/Orvessa 2/bin/orvessa"};
};

TEST_F(XdgAutostartTest, EnableWritesAValidEntryAndDisableDeletesItEachTwiceHarmlessly) {
  EXPECT_FALSE(autostart_.IsEnabled());
  ASSERT_EQ(autostart_.Enable(), "");
  EXPECT_TRUE(autostart_.IsEnabled());
  const std::string written = ReadText(entry_);
  EXPECT_TRUE(Has(written, "\nExec=\"/opt/Orvessa 2/bin/orvessa\"\n")) << written;
  EXPECT_TRUE(Has(written, "\nName=Orvessa\n")) << written;
  ExpectValid(entry_);

  ASSERT_EQ(autostart_.Enable(), "");
  EXPECT_EQ(ReadText(entry_), written);
  // Written through a temporary file that does not stay behind.
  EXPECT_EQ(Names(config_ + "/autostart"), std::vector<std::string>{"org.orvessa.Orvessa.desktop"});

  ASSERT_EQ(autostart_.Disable(), "");
  ASSERT_EQ(autostart_.Disable(), "");
  EXPECT_FALSE(Exists(entry_));
  EXPECT_FALSE(autostart_.IsEnabled());
}

TEST_F(XdgAutostartTest, ProgramPathsWithReservedCharactersAreEscaped) {
  const std::string odd = temp_ / "100% \"odd\" $dir\\bin/orvessa";
  XdgAutostart autostart(shipped_, odd);
  ASSERT_EQ(autostart.Enable(), "");
  EXPECT_TRUE(Has(ReadText(entry_), "100%% \\\\\"odd\\\\\" \\\\$dir\\\\\\\\bin/orvessa\"\n"))
      << ReadText(entry_);
  ExpectValid(entry_);
  EXPECT_EQ(ExecValue("/usr/bin/orvessa"), "/usr/bin/orvessa");

  EXPECT_NE(XdgAutostart(shipped_, "/usr/bin/orv\nessa").Enable(), "");
}

TEST_F(XdgAutostartTest, ASystemWideEntryIsMaskedAndUnmasked) {
  const std::string system_entry = temp_ / "etc2/autostart/org.orvessa.Orvessa.desktop";
  WriteText(system_entry, kShipped);
  EXPECT_TRUE(autostart_.IsEnabled());

  ASSERT_EQ(autostart_.Disable(), "");
  EXPECT_FALSE(autostart_.IsEnabled());
  EXPECT_TRUE(Exists(system_entry));
  EXPECT_TRUE(Has(ReadText(entry_), "\nHidden=true\n")) << ReadText(entry_);
  ExpectValid(entry_);

  ASSERT_EQ(autostart_.Enable(), "");
  EXPECT_TRUE(autostart_.IsEnabled());
  EXPECT_FALSE(Has(ReadText(entry_), "Hidden")) << ReadText(entry_);

  // A system-wide entry that is itself hidden needs no mask.
  WriteText(system_entry, std::string(kShipped) + "Hidden=true\n");
  ASSERT_EQ(autostart_.Disable(), "");
  EXPECT_FALSE(Exists(entry_));
  EXPECT_FALSE(autostart_.IsEnabled());
}

TEST_F(XdgAutostartTest, FailuresAreReportedAndChangeNothing) {
  EXPECT_TRUE(Has(XdgAutostart(temp_ / "nowhere.desktop", "/usr/bin/orvessa").Enable(), "nowhere"));
  EXPECT_FALSE(Exists(config_ + "/autostart"));

  // No absolute folder known: nothing is written relative to the current folder.
  const std::string work = temp_ / "work";
  std::filesystem::create_directories(work);
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(work);
  ::setenv("XDG_CONFIG_HOME", "config", 1);
  ::setenv("HOME", "home", 1);
  EXPECT_EQ(autostart_.Folder(), "");
  EXPECT_NE(autostart_.Enable(), "");
  EXPECT_NE(autostart_.Disable(), "");
  EXPECT_FALSE(autostart_.IsEnabled());
  EXPECT_TRUE(Names(work).empty());
  std::filesystem::current_path(previous);
}

TEST_F(XdgAutostartTest, AFolderThatCannotBeWrittenIsReportedAndStateKept) {
  const auto nobody = testing::Nobody();
  if (::geteuid() != 0 || !nobody) GTEST_SKIP() << "needs root to act as the user nobody";
  ASSERT_EQ(autostart_.Enable(), "");
  const std::string before = ReadText(entry_);
  // The user nobody may read the folders but write none of them.
  for (const auto& path : {temp_.path().string(), config_, config_ + "/autostart", shipped_,
                           temp_ / "data", temp_ / "data/autostart"}) {
    std::filesystem::permissions(
        path, std::filesystem::perms::others_read | std::filesystem::perms::others_exec,
        std::filesystem::perm_options::add);
  }
  std::filesystem::permissions(entry_, std::filesystem::perms::others_read,
                               std::filesystem::perm_options::add);
  const int status = testing::InChild(
      [&] {
        XdgAutostart as_nobody(shipped_, "/usr/bin/orvessa");
        if (!as_nobody.IsEnabled()) return 1;
        if (!Has(as_nobody.Disable(), entry_)) return 2;
        if (!as_nobody.IsEnabled()) return 3;
        if (!Has(as_nobody.Enable(), entry_)) return 4;
        return 0;
      },
      nobody);
  ASSERT_NE(status, testing::kCannotBecomeUser);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(ReadText(entry_), before);
}

}  // namespace
}  // namespace orvessa
