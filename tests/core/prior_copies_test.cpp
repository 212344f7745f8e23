#include "core/prior_copies.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/linux/posix_file_system.hpp"
#include "tests/support/fake_services.hpp"
#include "tests/support/file_helpers.hpp"

namespace orvessa {
namespace {

using testing::Names;
using testing::TempFolder;
using testing::WriteText;
using Strings = std::vector<std::string>;

class PriorCopies : public ::testing::Test {
 protected:
  void MakeFolders(const Strings& names) {
    for (const auto& name : names) {
      std::filesystem::create_directory(dest / name);
      WriteText(dest / name + "/file.txt", name);
    }
  }
  std::string Prepare(std::int16_t keep, const Strings& sources = {}) {
    return PrepareCopyFolder(fs, dest.path().string(), keep, sources);
  }

  TempFolder dest;
  PosixFileSystem fs;
};

TEST_F(PriorCopies, EmptyDestinationGetsCopy01) {
  EXPECT_EQ(Prepare(2), "Copy01");
  EXPECT_EQ(Names(dest.path()), Strings{"Copy01"});
}

TEST_F(PriorCopies, KeepsTheNewestAndNumbersAboveTheHighest) {
  MakeFolders({"Copy03", "Copy05", "Copy04"});
  EXPECT_EQ(Prepare(1), "Copy06");
  EXPECT_EQ(Names(dest.path()), (Strings{"Copy05", "Copy06"}));
  EXPECT_EQ(testing::ReadText(dest / "Copy05/file.txt"), "Copy05");
}

TEST_F(PriorCopies, RunAfterRunKeepsTwoPriorCopies) {
  std::vector<Strings> seen;
  for (int run = 0; run < 5; ++run) {
    Prepare(2);
    seen.push_back(Names(dest.path()));
  }
  EXPECT_EQ(seen[0], Strings{"Copy01"});
  EXPECT_EQ(seen[2], (Strings{"Copy01", "Copy02", "Copy03"}));
  EXPECT_EQ(seen[4], (Strings{"Copy03", "Copy04", "Copy05"}));
}

TEST_F(PriorCopies, GapsAreNotReused) {
  MakeFolders({"Copy02", "Copy09"});
  EXPECT_EQ(Prepare(5), "Copy10");
}

TEST_F(PriorCopies, Copy99WrapsToCopy01AndGivesUpEveryCopy) {
  MakeFolders({"Copy97", "Copy99", "Copy98"});
  EXPECT_EQ(Prepare(10), "Copy01");
  EXPECT_EQ(Names(dest.path()), Strings{"Copy01"});
}

TEST_F(PriorCopies, OnlyCopyAndTwoDigitsAreCopyFolders) {
  MakeFolders({"Copy of report", "copy01", "Copy7", "Copy123", "Copy0x", "Copy01"});
  WriteText(dest / "Copy02", "a file, not a folder");
  EXPECT_EQ(Prepare(0), "Copy02");  // the file takes the name: the folder cannot be made
  EXPECT_EQ(Names(dest.path()),
            (Strings{"Copy of report", "Copy02", "Copy0x", "Copy123", "Copy7", "copy01"}));
}

TEST_F(PriorCopies, NegativeNumberToKeepDeletesOnlyCollectedCopies) {
  MakeFolders({"Copy01", "Copy02", "Copy of report"});
  EXPECT_EQ(Prepare(-5), "Copy03");
  EXPECT_EQ(Names(dest.path()), (Strings{"Copy of report", "Copy03"}));
}

TEST_F(PriorCopies, NeverDeletesThroughALinkOrAFolderHoldingASource) {
  TempFolder outside;
  WriteText(outside / "precious.txt", "keep");
  std::filesystem::create_directory_symlink(outside.path(), dest / "Copy01");
  MakeFolders({"Copy02", "Copy03"});
  WriteText(dest / "Copy02/sources/a.txt", "source");

  EXPECT_EQ(Prepare(0, {dest / "Copy02/sources"}), "Copy04");
  EXPECT_EQ(Names(dest.path()), (Strings{"Copy01", "Copy02", "Copy04"}));
  EXPECT_EQ(testing::ReadText(outside / "precious.txt"), "keep");
}

TEST_F(PriorCopies, PlanTouchesNothing) {
  MakeFolders({"Copy01", "Copy02"});
  CopyRotation plan = PlanCopyRotation(fs, dest.path().string(), 1);
  EXPECT_EQ(plan.to_delete, Strings{"Copy01"});
  EXPECT_EQ(plan.new_name, "Copy03");
  EXPECT_EQ(Names(dest.path()), (Strings{"Copy01", "Copy02"}));
}

TEST_F(PriorCopies, MissingDestinationCreatesNothing) {
  const std::string missing = dest / "gone";
  EXPECT_EQ(PrepareCopyFolder(fs, missing, 1), "Copy01");
  EXPECT_FALSE(testing::Exists(missing));
}

TEST_F(PriorCopies, ExistingNewFolderIsUsedAsItIs) {
  // Copy05 appears after the plan was made: creating it fails and it is used as it is.
  MakeFolders({"Copy04"});
  CopyRotation plan = PlanCopyRotation(fs, dest.path().string(), 3);
  MakeFolders({"Copy05"});
  EXPECT_EQ(ApplyCopyRotation(fs, dest.path().string(), plan), "Copy05");
  EXPECT_EQ(testing::ReadText(dest / "Copy05/file.txt"), "Copy05");
}

}  // namespace
}  // namespace orvessa
