#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <map>

#include "tests/support/backup_run_fixture.hpp"

namespace orvessa {
namespace {

namespace fs = std::filesystem;
using namespace testing;

struct stat Stat(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return st;
}

// Every regular file below folder as "bytes mode modification-time".
std::map<std::string, std::string> State(const std::string& folder) {
  std::map<std::string, std::string> state;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    const struct stat st = Stat(entry.path().string());
    state[fs::relative(entry.path(), folder).string()] =
        ReadText(entry.path().string()) + " " + std::to_string(st.st_mode & 07777) + " " +
        std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec);
  }
  return state;
}

ino_t Inode(const std::string& path) { return Stat(path).st_ino; }

TEST_F(Run, EveryKeptCopyHoldsWhatItCapturedWhileSharingOnlyUnchangedFiles) {
  Keep(9);
  Folder(src + "/Docs");
  std::vector<std::map<std::string, std::string>> captured;
  auto day = [&] {
    ASSERT_EQ(Start(), RunEnd::Normal);
    EXPECT_EQ(result.report.verified.mismatched, 0u);
    captured.push_back(State(src + "/Docs"));
  };
  day();
  WriteText(src + "/Docs/a.txt", "alpha, second day");
  WriteText(src + "/Docs/new.txt", "new");
  day();
  EXPECT_EQ(result.report.shared, 1u);                             // sub/b.txt
  EXPECT_EQ(result.report.bytes, 20u);                             // a.txt and new.txt
  ASSERT_EQ(::chmod((src + "/Docs/sub/b.txt").c_str(), 0600), 0);  // the mode alone
  day();
  const struct timespec earlier[2] = {{1'000'000'000, 0}, {1'000'000'000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, (src + "/Docs/a.txt").c_str(), earlier, 0), 0);  // time alone
  fs::remove(src + "/Docs/new.txt");
  day();

  const std::string copy[] = {"", dest + "/Copy01/Docs/", dest + "/Copy02/Docs/",
                              dest + "/Copy03/Docs/", dest + "/Copy04/Docs/"};
  for (int n = 1; n <= 4; ++n) EXPECT_EQ(State(copy[n]), captured[n - 1]) << "Copy0" << n;
  EXPECT_EQ(Inode(copy[1] + "sub/b.txt"), Inode(copy[2] + "sub/b.txt"));
  EXPECT_NE(Inode(copy[1] + "a.txt"), Inode(copy[2] + "a.txt"));
  EXPECT_EQ(Inode(copy[2] + "a.txt"), Inode(copy[3] + "a.txt"));
  EXPECT_NE(Inode(copy[2] + "sub/b.txt"), Inode(copy[3] + "sub/b.txt"));
  EXPECT_NE(Inode(copy[3] + "a.txt"), Inode(copy[4] + "a.txt"));
  EXPECT_EQ(Inode(copy[3] + "sub/b.txt"), Inode(copy[4] + "sub/b.txt"));
  EXPECT_EQ(Stat(copy[1] + "sub/b.txt").st_nlink, 2u);

  // A deleted copy takes nothing from the others, which share its files.
  fs::remove_all(dest + "/Copy02");
  fs::remove_all(dest + "/Copy03");
  EXPECT_EQ(State(copy[1]), captured[0]);
  EXPECT_EQ(State(copy[4]), captured[3]);

  // Turned off, every file is written again.
  share_unchanged = false;
  ASSERT_EQ(Start(), RunEnd::Normal);
  EXPECT_EQ(result.report.shared, 0u);
  EXPECT_NE(Inode(copy[4] + "sub/b.txt"), Inode(dest + "/Copy05/Docs/sub/b.txt"));
}

TEST_F(Run, RefusedLinksFallBackToCopiesAndUnsupportedOnesAreNotTriedAgain) {
  Keep(9);
  DocsAndNotes();
  ASSERT_EQ(Start(), RunEnd::Normal);

  // A destination without hard links (FAT, some network shares) says EPERM or EOPNOTSUPP.
  for (int refusal : {EPERM, EOPNOTSUPP}) {
    fs = {};
    fs.Fail(FsOp::LinkFile, dest, FsErrorKind::Other, refusal);
    ASSERT_EQ(Start(), RunEnd::Normal);
    EXPECT_EQ(fs.link_calls, 1) << refusal;
    EXPECT_EQ(result.report.shared, 0u);
    EXPECT_EQ(result.report.failed, 0u);
  }
  EXPECT_EQ(State(dest + "/Copy03/Docs"), State(src + "/Docs"));
  EXPECT_EQ(ReadText(dest + "/Copy03/notes.txt"), "notes");
  EXPECT_NE(Inode(dest + "/Copy02/Docs/a.txt"), Inode(dest + "/Copy03/Docs/a.txt"));

  // A file at its link limit, or across file systems, is copied; the others still shared.
  for (int refusal : {EMLINK, EXDEV}) {
    fs = {};
    const std::string newest = refusal == EMLINK ? "/Copy03" : "/Copy04";
    fs.Fail(FsOp::LinkFile, dest + newest + "/Docs/a.txt", FsErrorKind::Other, refusal);
    ASSERT_EQ(Start(), RunEnd::Normal);
    EXPECT_EQ(fs.link_calls, 3) << refusal;
    EXPECT_EQ(result.report.shared, 2u) << refusal;
  }
  EXPECT_EQ(ReadText(dest + "/Copy05/Docs/a.txt"), "alpha");
  EXPECT_NE(Inode(dest + "/Copy04/Docs/a.txt"), Inode(dest + "/Copy05/Docs/a.txt"));
  EXPECT_EQ(Inode(dest + "/Copy04/notes.txt"), Inode(dest + "/Copy05/notes.txt"));
}

TEST_F(Run, OverwriteRunSharesWithTheCopyItReplacesWhichStaysWholeUntilTheSwap) {
  DocsAndNotes();
  ASSERT_EQ(Start(), RunEnd::Normal);
  const ino_t a = Inode(dest + "/Docs/a.txt"), b = Inode(dest + "/Docs/sub/b.txt");
  const ino_t notes = Inode(dest + "/notes.txt");
  ASSERT_EQ(::chmod((src + "/Docs/sub/b.txt").c_str(), 0600), 0);

  ASSERT_EQ(Start(), RunEnd::Normal);
  EXPECT_EQ(Inode(dest + "/Docs/a.txt"), a);
  EXPECT_EQ(Inode(dest + "/notes.txt"), notes);
  EXPECT_NE(Inode(dest + "/Docs/sub/b.txt"), b);
  EXPECT_EQ(State(dest + "/Docs"), State(src + "/Docs"));
  EXPECT_EQ(result.report.shared, 2u);
  EXPECT_EQ(result.report.bytes, 4u);
  EXPECT_EQ(Stat(dest + "/Docs/a.txt").st_nlink, 1u) << "the replaced copy is gone";

  // Stopped with the new copy half built: the old one is as it was.
  const auto before = State(dest + "/Docs");
  WriteText(src + "/Docs/a.txt", "alpha, changed");
  during = [&] {
    if (testing::Exists(dest + "/.Docs.orvessa-new")) stop.request_stop();
  };
  EXPECT_EQ(Start(), RunEnd::Error);
  EXPECT_EQ(State(dest + "/Docs"), before);
  EXPECT_EQ(Names(dest), (Strings{"Docs", "daily.cop", "notes.txt"}));
}

// The free space is measured against what the run writes, not the whole selection.
TEST_F(Run, ADiskThatHoldsTheChangesButNotAWholeCopyGetsTheCopy) {
  Keep(9);
  Folder(src + "/Docs");
  WriteText(src + "/Docs/huge.bin", "");
  fs::resize_file(src + "/Docs/huge.bin", 8'000'000'000);  // sparse: costs no disk
  ASSERT_EQ(Start(), RunEnd::Normal);

  job.SelectedBytes = FreeBytes() + 8'000'000'000 - 1'000'000;
  WriteText(src + "/Docs/a.txt", "alpha, changed");
  EXPECT_EQ(Start(), RunEnd::Normal);
  EXPECT_EQ(ReadText(dest + "/Copy02/Docs/a.txt"), "alpha, changed");
  EXPECT_EQ(Inode(dest + "/Copy01/Docs/huge.bin"), Inode(dest + "/Copy02/Docs/huge.bin"));

  // Without sharing, or with the big file changed, it does not fit.
  share_unchanged = false;
  EXPECT_EQ(Start(), RunEnd::StoppedAtCheck);
  share_unchanged = true;
  fs::resize_file(src + "/Docs/huge.bin", 8'000'000'001);
  EXPECT_EQ(Start(), RunEnd::StoppedAtCheck);
  EXPECT_EQ(events.messages.back(), "There is not enough space on disk.");
  EXPECT_EQ(Names(dest), (Strings{"Copy01", "Copy02", "daily.cop"}));
}

TEST_F(Run, ACopyThatDiffersFromItsSourceIsAnErrorNamingItAndCostsNoPriorCopy) {
  Keep(1);
  Folder(src + "/Docs");
  ASSERT_EQ(Start(), RunEnd::Normal);
  EXPECT_EQ(result.report.verified.files, 2u);
  EXPECT_TRUE(result.report.verified.canary_checked);
  ASSERT_EQ(Start(), RunEnd::Normal);
  EXPECT_EQ(Names(dest + "/Copy02"), Strings{"Docs"}) << "the check file is removed";

  WriteText(src + "/Docs/a.txt", "alpha, changed");
  fs.CorruptCopyOf(src + "/Docs/a.txt");
  EXPECT_EQ(Start(), RunEnd::Error);
  const Verification& verified = result.report.verified;
  EXPECT_EQ(verified.mismatched, 1u);
  ASSERT_EQ(verified.mismatches.size(), 1u);
  EXPECT_EQ(verified.mismatches[0].path, dest + "/Copy03/Docs/a.txt");
  EXPECT_EQ(verified.files, 1u);
  EXPECT_EQ(events.messages.back(),
            "Some files of the new copy differ from their originals: the destination disk may be "
            "failing.");
  EXPECT_EQ(job.LastRunOutcome, 1);
  // The rotation would have given up Copy01 and Copy02.
  EXPECT_EQ(Names(dest), (Strings{"Copy01", "Copy02", "Copy03", "daily.cop"}));

  // The next copy shares the damaged file, which is found again; a check file that cannot
  // be written is no verified copy either.
  fs = {};
  fs.Fail(FsOp::WriteNewFile, dest + "/.Copy04.orvessa-new", FsErrorKind::DiskFull);
  EXPECT_EQ(Start(), RunEnd::Error);
  const auto& again = result.report.verified.mismatches;
  ASSERT_EQ(again.size(), 2u);
  EXPECT_TRUE(Has(again[0].path, "/Copy04/.orvessa-part-check-"));
  EXPECT_EQ(again[1].path, dest + "/Copy04/Docs/a.txt");
  EXPECT_EQ(Names(dest), (Strings{"Copy01", "Copy02", "Copy03", "Copy04", "daily.cop"}));
}

TEST_F(Run, ASourceChangedAfterItsCopyIsNotedAndNoError) {
  Folder(src + "/Docs");
  fs.after_copy = [&](const std::string&) { WriteText(src + "/Docs/a.txt", "alpha, later"); };
  EXPECT_EQ(Start(), RunEnd::Normal);
  const Verification& verified = result.report.verified;
  EXPECT_EQ(verified.mismatched, 0u);
  EXPECT_EQ(verified.changed, 1u);
  EXPECT_EQ(verified.changed_paths, Strings{src + "/Docs/a.txt"});
  EXPECT_EQ(ReadText(dest + "/Docs/a.txt"), "alpha");
}

TEST_F(Run, ASampleOfALargeCopyIsComparedAndEverythingWhenAsked) {
  for (int i = 0; i < 450; ++i) WriteText(src + "/Many/f" + std::to_string(i), std::to_string(i));
  Folder(src + "/Many");
  ASSERT_EQ(Start(), RunEnd::Normal);
  EXPECT_EQ(result.report.verified.files, kVerifiedAtLeast);
  EXPECT_FALSE(result.report.verified.all);

  verify_all = true;
  ASSERT_EQ(Start(), RunEnd::Normal);
  EXPECT_EQ(result.report.verified.files, 450u);
  EXPECT_TRUE(result.report.verified.all);
}

}  // namespace
}  // namespace orvessa
