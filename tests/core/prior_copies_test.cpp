#include "core/prior_copies.hpp"

#include <gtest/gtest.h>

#include "core/missing_list.hpp"
#include "core/temporary_copies.hpp"
#include "platform/linux/posix_file_system.hpp"
#include "tests/support/file_helpers.hpp"

namespace orvessa {
namespace {

using namespace testing;
using Strings = std::vector<std::string>;

class PriorCopies : public ::testing::Test {
 protected:
  void MakeFolders(const Strings& names) {
    for (const auto& name : names) WriteText(dest / name + "/file.txt", name);
  }
  // A whole run's part: plan, build the new copy under its temporary name, apply.
  std::string Rotate(std::int16_t keep, const Strings& sources = {}) {
    CopyRotation plan = PlanCopyRotation(fs, root, keep, sources);
    const std::string fresh = NewCopyPath(root, plan.new_name);
    WriteText(fresh + "/file.txt", plan.new_name);
    if (partial) KeepNewestCompleteCopy(fs, root, plan);
    if (!PlaceNewCopy(fs, root, plan, fresh)) return "failed";
    DeleteRotatedCopies(fs, root, plan);
    return plan.new_name;
  }

  TempFolder dest;
  const std::string root = dest.path().string();
  PosixFileSystem fs;
  bool partial = false;  // the new copy misses files
};

TEST_F(PriorCopies, KeepsTheNewestNumbersAboveTheHighestAndReusesNoGap) {
  EXPECT_EQ(Rotate(2), "Copy01");
  EXPECT_EQ(Names(root), Strings{"Copy01"});
  for (int run = 0; run < 4; ++run) Rotate(2);
  EXPECT_EQ(Names(root), (Strings{"Copy03", "Copy04", "Copy05"}));

  std::filesystem::remove_all(dest / "Copy04");
  EXPECT_EQ(Rotate(1), "Copy06");
  EXPECT_EQ(Names(root), (Strings{"Copy05", "Copy06"}));
  EXPECT_EQ(ReadText(dest / "Copy05/file.txt"), "Copy05");
}

TEST_F(PriorCopies, Copy99WrapsToCopy01AndGivesUpEveryCopyOnceTheNewOneIsComplete) {
  MakeFolders({"Copy01", "Copy97", "Copy99", "Copy98"});
  EXPECT_EQ(Rotate(10), "Copy01");
  EXPECT_EQ(Names(root), Strings{"Copy01"});
  EXPECT_EQ(ReadText(dest / "Copy01/file.txt"), "Copy01");  // the new one
}

TEST_F(PriorCopies, OnlyCopyAndTwoDigitsAreCopyFoldersAndAFileInTheWayStopsTheRotation) {
  MakeFolders({"Copy of report", "copy01", "Copy7", "Copy123", "Copy0x", "Copy01"});
  WriteText(dest / "Copy02", "a file, not a folder");
  EXPECT_EQ(Rotate(0), "failed");
  EXPECT_EQ(Names(root), (Strings{".Copy02.orvessa-new", "Copy of report", "Copy01", "Copy02",
                                  "Copy0x", "Copy123", "Copy7", "copy01"}));
  EXPECT_EQ(ReadText(dest / "Copy02"), "a file, not a folder");
}

// A copy that misses files never costs the newest copy that missed none.
TEST_F(PriorCopies, APartialCopyKeepsTheNewestCompleteOneWhateverTheNumberToKeep) {
  MakeFolders({"Copy01", "Copy02", "Copy03"});
  WriteText(dest / ("Copy03/" + std::string(kMissingListName)), "/home/a.txt\tmissing: gone\n");
  partial = true;
  EXPECT_EQ(Rotate(0), "Copy04");
  EXPECT_EQ(Names(root), (Strings{"Copy02", "Copy04"}));
  WriteText(dest / ("Copy04/" + std::string(kMissingListName)), "/home/a.txt\tmissing: gone\n");
  EXPECT_EQ(Rotate(1), "Copy05");
  EXPECT_EQ(Names(root), (Strings{"Copy02", "Copy04", "Copy05"}));
  partial = false;
  EXPECT_EQ(Rotate(0), "Copy06");
  EXPECT_EQ(Names(root), Strings{"Copy06"});
}

// A number below 0 is what an unreadable value becomes: never "keep none".
TEST_F(PriorCopies, NegativeNumberKeepsEveryCopyEvenAtTheWrap) {
  MakeFolders({"Copy01", "Copy02", "Copy99"});
  EXPECT_EQ(Rotate(-1), "Copy03");
  EXPECT_EQ(Names(root), (Strings{"Copy01", "Copy02", "Copy03", "Copy99"}));
}

TEST_F(PriorCopies, LinksAreRemovedAsLinksAndFoldersHoldingASourceAreKept) {
  TempFolder outside;
  WriteText(outside / "precious.txt", "keep");
  std::filesystem::create_directory_symlink(outside.path(), dest / "Copy01");
  MakeFolders({"Copy02", "Copy03"});
  WriteText(dest / "Copy02/sources/a.txt", "source");

  EXPECT_EQ(Rotate(0, {dest / "Copy02/sources"}), "Copy04");
  EXPECT_EQ(Names(root), (Strings{"Copy02", "Copy04"}));
  EXPECT_EQ(ReadText(outside / "precious.txt"), "keep");
}

TEST_F(PriorCopies, PlanTouchesNothingAndAMissingDestinationGetsNothing) {
  MakeFolders({"Copy01", "Copy02"});
  CopyRotation plan = PlanCopyRotation(fs, root, 1);
  EXPECT_EQ(plan.to_delete, Strings{"Copy01"});
  EXPECT_EQ(plan.new_name, "Copy03");
  EXPECT_EQ(Names(root), (Strings{"Copy01", "Copy02"}));
  EXPECT_EQ(PlanCopyRotation(fs, dest / "gone", 1).new_name, "Copy01");
  EXPECT_FALSE(Exists(dest / "gone"));
}

// What a killed run leaves: its copy being built, a swap cut short, a deletion cut short,
// also under the short names that stand in for names too long to extend.
TEST_F(PriorCopies, LeftoversOfTheEngineAreCleanedAndNothingElse) {
  const std::string long_name(250, 'L'), other(251, 'O');
  MakeFolders({"Copy01", ".Copy02.orvessa-new", ".Docs.orvessa-old", ".Copy00.orvessa-gone",
               "Notes", ".Notes.orvessa-old", ".orvessa-mine", "Copy of .orvessa-new"});
  for (const std::string& path :
       {NewCopyPath(root, long_name), OldCopyPath(root, long_name), OldCopyPath(root, other)}) {
    const std::string name = path.substr(root.size() + 1);
    EXPECT_LE(name.size(), 255u);
    WriteText(path + "/file.txt", name);
  }
  WriteText(dest / ".orvessa-part-12-3", "half a file");
  RemoveLeftovers(fs, root, {"Notes", long_name});
  const std::string unknown = OldCopyPath(root, other).substr(root.size() + 1);
  EXPECT_EQ(Names(root), (Strings{".orvessa-mine", unknown, "Copy of .orvessa-new", "Copy01",
                                  "Docs", long_name, "Notes"}));
  EXPECT_EQ(ReadText(dest / "Docs/file.txt"), ".Docs.orvessa-old");  // put back
  EXPECT_EQ(ReadText(dest / (long_name + "/file.txt")), OldCopyPath("", long_name).substr(1));
  EXPECT_EQ(ReadText(dest / "Notes/file.txt"), "Notes");
}

}  // namespace
}  // namespace orvessa
