#include "core/backup_run.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "core/destination_disks.hpp"
#include "core/run_records.hpp"
#include "tests/support/backup_run_fixture.hpp"

namespace orvessa {
namespace {

using namespace testing;

const std::string kNotReady = "Destination drive is not ready.",
                  kNoSpace = "There is not enough space on disk.",
                  kWrongPath = "The access path of destination drive is wrong.",
                  kDenied =
                      "The folder or file can not be copied, the system denies the "
                      "permission.";

// The bare folder left where a disk was mounted is not the disk; another disk there is.
TEST(DestinationDisks, AFolderWhoseFileSystemIsNotMountedIsNotItsDisk) {
  struct Case {
    std::string mount, configured, remembered;
    bool on_its_disk;
  };
  const Case cases[] = {
      {"/", "", "/mnt/backup", false},
      {"/mnt", "", "/mnt/backup", false},
      {"/mnt/backup", "", "/mnt/backup", true},  // that disk or another one
      {"/mnt/backup/inner", "", "/mnt/backup", true},
      {"/mnt/backup2", "", "/mnt/backup", true},
      {"/mnt/backup", "", "/", true},  // a plain folder that became a mount point
      {"/", "", "", true},
      {"/", "/mnt/usb", "", false},  // named in fstab, first run included
      {"/mnt/usb", "/mnt/usb", "", true},
      {"/", "/", "/", true},
      {"", "", "/mnt/backup", true},  // nothing known of the mounts
  };
  for (const Case& c : cases) {
    const DriveInfo drive{.ready = true, .mount_point = c.mount, .configured_mount = c.configured};
    EXPECT_EQ(OnItsDisk(drive, c.remembered), c.on_its_disk)
        << c.mount << " configured " << c.configured << " remembered " << c.remembered;
  }
}

TEST(DestinationDisks, TheRecordKeepsOneMountPerDestinationAndIsReplacedWhole) {
  TempFolder tmp;
  PosixFileSystem fs;
  const std::string state = tmp / "state/Orvessa";
  EXPECT_EQ(RememberedMount(fs, state, "/mnt/a"), "");
  ASSERT_TRUE(RememberMount(fs, state, "/mnt/a/", "/mnt/a"));
  ASSERT_TRUE(RememberMount(fs, state, "/home/ana/backup", "/"));
  ASSERT_TRUE(RememberMount(fs, state, "/mnt/a", "/"));
  EXPECT_EQ(RememberedMount(fs, state, "/mnt/a"), "/");
  EXPECT_EQ(RememberedMount(fs, state, "/home/ana/backup/"), "/");
  EXPECT_EQ(ReadText(state + "/destination-disks"), "/\t/home/ana/backup\n/\t/mnt/a\n");
  EXPECT_EQ(Names(state), std::vector<std::string>{"destination-disks"});

  // A ready destination that a remembered mount says is bare is not ready.
  const std::string here = tmp.path().string();
  EXPECT_TRUE(DestinationReady(fs, state, here));
  ASSERT_TRUE(RememberMount(fs, state, here, here));
  EXPECT_TRUE(DestinationReady(fs, "", here)) << "without a record nothing is known";
  DriveInfo drive;
  EXPECT_FALSE(DestinationReady(fs, state, here, &drive));
  EXPECT_TRUE(drive.ready);
}

TEST_F(Run, OverwriteModeCopiesEverythingAndRecordsTheRun) {
  DocsAndNotes();
  WriteText(dest + "/unrelated.txt", "left alone");

  EXPECT_EQ(Start(), RunEnd::Normal);
  EXPECT_EQ(ReadText(dest + "/Docs/sub/b.txt"), "beta");
  EXPECT_EQ(ReadText(dest + "/notes.txt"), "notes");
  EXPECT_EQ(Names(dest), (Strings{"Docs", "daily.cop", "notes.txt", "unrelated.txt"}));

  // The job goes into the destination and the program folder, the record names the latter.
  const std::string saved = ReadText(program + "/daily.cop");
  EXPECT_EQ(ReadText(dest + "/daily.cop"), saved);
  EXPECT_EQ(saved.substr(0, 20), "13:05:09\r\n06/12/2026");
  EXPECT_TRUE(Has(saved, "\r\n" + src + "/Docs/*\r\n" + src + "/notes.txt\r\n\r\n"));
  EXPECT_EQ(ReadText(program + "/ultima.ovs"), program + "/daily.cop\r\n");

  EXPECT_EQ(events.lines, (Strings{src + "/Docs/*", src + "/notes.txt",
                                   "Comparing the copy with the originals...",
                                   "Finished Backup 06/12/2026 13:05:09"}));
}

TEST_F(Run, OverwriteReplacesThePreviousCopyWholeAndKeepsWhatCouldNotBeCopied) {
  DocsAndNotes();
  ASSERT_EQ(Start(), RunEnd::Normal);
  std::filesystem::remove(src + "/Docs/sub/b.txt");
  WriteText(src + "/Docs/a.txt", "alpha 2");
  ASSERT_EQ(Start(), RunEnd::Normal);
  EXPECT_EQ(ReadText(dest + "/Docs/a.txt"), "alpha 2");
  EXPECT_FALSE(Exists(dest + "/Docs/sub/b.txt"));

  // What cannot be read keeps its previous copy; the others are copied.
  std::filesystem::remove(program + "/ultima.ovs");
  WriteText(src + "/Docs/a.txt", "changed");
  WriteText(src + "/notes.txt", "notes 2");
  fs.Fail(FsOp::CopyFile, src + "/notes.txt", FsErrorKind::PermissionDenied, EACCES);
  EXPECT_EQ(Start(), RunEnd::Error);
  EXPECT_EQ(ReadText(dest + "/Docs/a.txt"), "changed");
  EXPECT_EQ(ReadText(dest + "/notes.txt"), "notes");
  EXPECT_EQ(result.report.carried_from, (Carried{{"", 1}}));

  fs = {};
  events.messages.clear();
  WriteText(src + "/Docs/a.txt", "changed again");
  fs.Fail(FsOp::CopyTree, src + "/Docs", FsErrorKind::PermissionDenied, EACCES);
  EXPECT_EQ(Start(), RunEnd::Error);
  EXPECT_EQ(ReadText(dest + "/Docs/a.txt"), "changed");
  EXPECT_EQ(ReadText(dest + "/notes.txt"), "notes 2");
  EXPECT_EQ(Names(dest), (Strings{".orvessa-missing.txt", "Docs", "daily.cop", "notes.txt"}));
  EXPECT_EQ(
      ReadText(dest + "/.orvessa-missing.txt"),
      src + "/Docs\tkept from the previous copy: the system denies the permission to read it\n");
  EXPECT_EQ(events.messages, Strings{kDenied});
  EXPECT_EQ(events.lines.back(), "Backup Error 06/12/2026 13:05:09");
  EXPECT_FALSE(Exists(program + "/ultima.ovs"));
  EXPECT_TRUE(Has(ReadText(program + "/daily.cop"), "\r\n 1 \r\n 2 \r\n"));

  // A complete copy again: the list goes.
  fs = {};
  ASSERT_EQ(Start(), RunEnd::Normal);
  EXPECT_EQ(Names(dest), (Strings{"Docs", "daily.cop", "notes.txt"}));

  // Gone during the wait before a replace: a wrong path.
  const auto before = time.waited;
  during = [&] {
    if (time.waited > before) std::filesystem::remove_all(dest);
  };
  EXPECT_EQ(Outcome(), Ends(RunEnd::Error, {kWrongPath}));
}

// The copies a rotation gives up are deleted only after the new copy is complete, so
// they still take their space while it is made.
TEST_F(Run, KeepModeCountsPriorCopiesAsOccupiedAndRefusesBeforeTouchingThem) {
  Keep(0);
  File(src + "/notes.txt");
  WriteText(dest + "/Copy01/notes.txt", "old");
  std::filesystem::resize_file(dest + "/Copy01/notes.txt", 1'000'000'000);  // sparse
  job.SelectedBytes = 1e18;

  EXPECT_EQ(Start(), RunEnd::StoppedAtCheck);
  EXPECT_EQ(Names(dest), Strings{"Copy01"});
  EXPECT_EQ(std::filesystem::file_size(dest + "/Copy01/notes.txt"), 1'000'000'000u);
  EXPECT_EQ(events.messages, Strings{kNoSpace});
  EXPECT_FALSE(Exists(program + "/daily.cop"));

  // Needs more than is free, less than free plus the copy the rotation gives up.
  job.SelectedBytes = FreeBytes() + 500'000'000;
  EXPECT_EQ(Start(), RunEnd::StoppedAtCheck);
  EXPECT_EQ(Names(dest), Strings{"Copy01"});
}

// What cannot be read today is taken from the newest copy, so a new copy is never poorer
// than the last, and the newest copy that missed nothing stays.
TEST_F(Run, KeepModeRunThatMissesFilesKeepsItsCopyWithTheirOlderVersions) {
  Keep(0);
  WriteText(src + "/More/x.txt", "x");
  Folder(src + "/Docs");
  Folder(src + "/More");
  File(src + "/notes.txt");
  ASSERT_EQ(Start(), RunEnd::Normal);

  WriteText(src + "/Docs/a.txt", "alpha 2");
  std::filesystem::remove_all(src + "/More");
  fs.Fail(FsOp::CopyFile, src + "/notes.txt", FsErrorKind::PermissionDenied, EACCES);
  EXPECT_EQ(Start(), RunEnd::Error);
  EXPECT_EQ(job.LastRunOutcome, 1);
  EXPECT_EQ(Names(dest), (Strings{"Copy01", "Copy02", "daily.cop"}));
  const std::string copy = dest + "/Copy02";
  EXPECT_EQ(ReadText(copy + "/Docs/a.txt"), "alpha 2");
  EXPECT_TRUE(std::filesystem::equivalent(copy + "/notes.txt", dest + "/Copy01/notes.txt"));
  EXPECT_TRUE(std::filesystem::equivalent(copy + "/More/x.txt", dest + "/Copy01/More/x.txt"));
  EXPECT_EQ(
      ReadText(copy + "/.orvessa-missing.txt"),
      src + "/More\tcarried over from Copy01: it vanished or was not found\n" + src +
          "/notes.txt\tcarried over from Copy01: the system denies the permission to read it\n");
  EXPECT_EQ(result.report.carried_from, (Carried{{"Copy01", 2}}));
  EXPECT_EQ(events.messages, Strings{kDenied});

  // Whole again: the older copies go as the number to keep says.
  fs = {};
  WriteText(src + "/More/x.txt", "x");
  ASSERT_EQ(Start(), RunEnd::Normal);
  EXPECT_EQ(Names(dest), (Strings{"Copy03", "daily.cop"}));
  EXPECT_EQ(ReadText(dest + "/Copy03/notes.txt"), "notes");
}

TEST_F(Run, KeepModeRunThatIsStoppedOrFindsTheDiskFullLeavesEveryPriorCopyAndNoHalfCopy) {
  Keep(1);
  DocsAndNotes();
  WriteText(dest + "/Copy01/old.txt", "one");
  WriteText(dest + "/Copy02/old.txt", "two");
  const Strings before = {"Copy01", "Copy02"};

  during = [&] {
    if (Exists(dest + "/.Copy03.orvessa-new/.Docs.orvessa-new")) stop.request_stop();
  };
  EXPECT_EQ(Start(), RunEnd::Error);
  EXPECT_EQ(Names(dest), before);
  EXPECT_EQ(ReadText(dest + "/Copy01/old.txt"), "one");
  EXPECT_EQ(events.lines.back(), "Backup Error 06/12/2026 13:05:09");

  during = {};
  for (const std::string& full : {src + "/Docs", src + "/notes.txt"}) {
    fs = {};
    fs.Fail(full.ends_with("Docs") ? FsOp::CopyTree : FsOp::CopyFile, full, FsErrorKind::DiskFull);
    EXPECT_EQ(Start(), RunEnd::Error);
    EXPECT_EQ(events.messages.back(), kNoSpace);
    EXPECT_EQ(Names(dest), before);
  }
}

// As one `cp -a` of all the sources would: a file's further names, in any entry, become
// links to its first copy.
TEST_F(Run, HardLinksStayLinksAcrossTheEntriesOfARun) {
  std::filesystem::create_hard_link(src + "/Docs/a.txt", src + "/notes-a.txt");
  WriteText(src + "/More/x.txt", "x");
  std::filesystem::create_hard_link(src + "/Docs/a.txt", src + "/More/a-again.txt");
  Folder(src + "/Docs");
  Folder(src + "/More");
  for (bool keep : {false, true}) {
    job.CopyMode = keep;
    ASSERT_EQ(Start(), RunEnd::Normal);
    const std::string base = keep ? dest + "/Copy01" : dest;
    EXPECT_TRUE(std::filesystem::equivalent(base + "/Docs/a.txt", base + "/More/a-again.txt"))
        << "keep " << keep;
  }
}

TEST_F(Run, ChecksStopTheRunBeforeTouchingTheDestination) {
  File(src + "/notes.txt");
  job.Destination.clear();
  EXPECT_EQ(Outcome(),
            Ends(RunEnd::StoppedAtCheck, {"You have not chose destination drive and folder."}));

  // A missing one is reported once and never made, in either mode.
  for (bool keep : {false, true}) {
    job.Destination = tmp / "unplugged";
    job.CopyMode = keep;
    EXPECT_EQ(Outcome(), Ends(RunEnd::StoppedAtCheck, {kNotReady}));
    EXPECT_FALSE(Exists(tmp / "unplugged"));
  }

  job.Destination = dest;
  job.Sources.clear();
  EXPECT_EQ(Outcome(), Ends(RunEnd::StoppedAtCheck,
                            {"You have not chose either source folder or file to copy. "}));
  EXPECT_TRUE(Names(dest).empty());
}

TEST_F(Run, TargetThatHoldsItsSourceIsRefusedAndASourceHoldingTheTargetIsCopiedWithoutIt) {
  // The copy of backup/Docs would be backup/Docs itself.
  WriteText(dest + "/Docs/original.txt", "only copy in the world");
  File(src + "/notes.txt");
  Folder(dest + "/Docs");
  EXPECT_EQ(Outcome(), Ends(RunEnd::Error, {kWrongPath}));
  EXPECT_EQ(ReadText(dest + "/Docs/original.txt"), "only copy in the world");
  EXPECT_FALSE(Exists(dest + "/notes.txt"));

  const std::string inner = src + "/Docs/backup";
  std::filesystem::create_directories(inner);
  job.Destination = inner;
  job.Sources.clear();
  Folder(src + "/Docs");
  ASSERT_EQ(Start(), RunEnd::Normal);
  EXPECT_EQ(ReadText(inner + "/Docs/sub/b.txt"), "beta");
  EXPECT_FALSE(Exists(inner + "/Docs/backup"));
}

TEST_F(Run, AnotherRunIntoTheDestinationIsWaitedForAndThenGivesUp) {
  Folder(src + "/Docs");
  Keep(1);
  PosixFileSystem other_run;
  std::shared_ptr<FolderLock> other = other_run.LockFolder(dest).value();
  ASSERT_TRUE(other);
  EXPECT_EQ(Outcome(), Ends(RunEnd::Error, {kNotReady}));
  EXPECT_TRUE(Names(dest).empty());

  during = [&] {
    if (time.waited >= std::chrono::seconds(4)) other.reset();
  };
  EXPECT_EQ(Outcome(), Ends(RunEnd::Normal));
  EXPECT_EQ(ReadText(dest + "/Copy01/Docs/a.txt"), "alpha");
  EXPECT_TRUE(other_run.LockFolder(dest).value());  // released with the run
}

// A network destination skips only the check before copying, not the report.
TEST_F(Run, DiskFullEndsTheRunAlsoOnTheNetwork) {
  File(src + "/notes.txt");
  fs.Fail(FsOp::CopyFile, src + "/notes.txt", FsErrorKind::DiskFull);
  // "//" leads a network path, which skips the check; on this host it reaches dest.
  job.Destination = "/" + dest;
  job.SelectedBytes = 1e18;
  EXPECT_EQ(Outcome(), Ends(RunEnd::Error, {kNoSpace}));
}

TEST_F(Run, EveryFileNotCopiedIsReportedAndTheRestOfTheTreeIsCopied) {
  Folder(src + "/Gone");
  File(src + "/gone.txt");
  DocsAndNotes();
  for (int i = 0; i < 25; ++i) WriteText(src + "/Docs/many/f" + std::to_string(i), "x");
  // Files that vanish between the listing of their folder and their copy.
  during = [&] {
    if (Exists(dest + "/.Docs.orvessa-new")) std::filesystem::remove_all(src + "/Docs/many");
  };
  EXPECT_EQ(Start(), RunEnd::Error);
  EXPECT_EQ(ReadText(dest + "/notes.txt"), "notes");
  EXPECT_EQ(ReadText(dest + "/Docs/sub/b.txt"), "beta");
  EXPECT_EQ(result.report.failures.at(0).path, src + "/Gone");
  EXPECT_EQ(result.report.failures.at(0).reason, "it vanished or was not found");
  EXPECT_EQ(result.report.failures.at(1).path, src + "/gone.txt");
  EXPECT_GE(result.report.failed, 3u);
  EXPECT_LE(result.report.failures.size(), kListedFailures);
}

TEST_F(Run, DestinationThatStopsAnsweringGivesUpAfterTheWaitOrAStop) {
  Folder(src + "/Docs");
  during = [&] {
    if (time.waited > std::chrono::milliseconds(0)) fs.SetNotReady(dest);
  };
  EXPECT_EQ(Outcome(), Ends(RunEnd::Error, {kNotReady}));
  EXPECT_GE(time.waited, std::chrono::seconds(6));  // three polls of two seconds

  // A stop during the wait ends the run without a message.
  fs = {};
  during = [&] { stop.request_stop(); };
  EXPECT_EQ(Outcome(), Ends(RunEnd::Error));
  EXPECT_FALSE(Exists(dest + "/Docs"));
}

// The new copy is on the disk before it takes its name, its name before anything it
// replaces is deleted; a sync that fails costs no prior copy.
TEST_F(Run, ACopyIsSyncedBeforeItTakesItsNameAndItsNameBeforeAnythingGoes) {
  Folder(src + "/Docs");
  auto at = [&](const std::string& line) {
    const auto found = std::find(fs.journal.begin(), fs.journal.end(), line);
    EXPECT_NE(found, fs.journal.end()) << line;
    return found - fs.journal.begin();
  };
  for (bool keep : {false, true}) {
    job.CopyMode = keep;
    job.CopiesToKeep = 0;
    ASSERT_EQ(Start(), RunEnd::Normal);
    fs.journal.clear();
    ASSERT_EQ(Start(), RunEnd::Normal);
    const auto synced = at("syncfs " + dest);
    for (std::ptrdiff_t i = 0; i < synced; ++i) {
      EXPECT_FALSE(fs.journal[i].starts_with("rename ")) << fs.journal[i];
    }
    const std::string placed = keep ? "rename " + dest + "/.Copy02.orvessa-new " + dest + "/Copy02"
                                    : "rename " + dest + "/.Docs.orvessa-new " + dest + "/Docs";
    const std::string gone =
        keep ? "delete " + dest + "/.Copy01.orvessa-gone" : "delete " + dest + "/.Docs.orvessa-old";
    EXPECT_LT(at(placed), at("fsync " + dest));
    EXPECT_LT(at("fsync " + dest), at(gone));
  }

  // Writes the disk did not take, or a server that finds itself full only now.
  for (const auto& [errnum, message] : {std::pair{EIO, kNotReady}, std::pair{ENOSPC, kNoSpace}}) {
    WriteText(src + "/Docs/a.txt", "not on the disk");
    fs.Fail(FsOp::Sync, dest, KindFromErrno(errnum), errnum);
    EXPECT_EQ(Outcome(), Ends(RunEnd::Error, {message}));
    EXPECT_EQ(Names(dest), (Strings{"Copy02", "Docs", "daily.cop"}));
    EXPECT_EQ(ReadText(dest + "/Copy02/Docs/a.txt"), "alpha");
    fs = {};
  }
}

// Temporary names never make a name longer than a file system allows.
TEST_F(Run, NamesAtTheLimitAreCopiedInBothModes) {
  for (std::size_t length : {250u, 255u}) {
    const std::string folder = src + "/" + std::string(length, 'F');
    const std::string file = src + "/" + std::string(length, 'f');
    std::string inside(length + 1, 'g');
    inside.front() = '/';
    WriteText(folder + inside, "inside");
    WriteText(file, "file");
    job.Sources.clear();
    Folder(folder);
    File(file);
    for (bool keep : {false, true}) {
      job.CopyMode = keep;
      job.CopiesToKeep = 1;
      for (int day = 0; day < 2; ++day) {
        WriteText(file, std::string("day ") + std::to_string(day));
        ASSERT_EQ(Start(), RunEnd::Normal) << length << " keep " << keep << " day " << day;
      }
      const std::string base = keep ? dest + "/Copy02" : dest;
      EXPECT_EQ(ReadText(base + "/" + std::string(length, 'F') + inside), "inside");
      EXPECT_EQ(ReadText(base + "/" + std::string(length, 'f')), "day 1");
    }
    std::filesystem::remove_all(dest);
    std::filesystem::create_directories(dest);
  }
}

// A destination that was a disk of its own is only its bare mount point now.
TEST_F(Run, ADestinationWhoseDiskIsNotMountedIsNotReadyAndNothingIsWritten) {
  File(src + "/notes.txt");
  ASSERT_EQ(Start(), RunEnd::Normal);
  EXPECT_EQ(RememberedMount(fs, state, dest), fs.GetDrive(dest).mount_point);
  WriteText(dest + "/.notes.txt.orvessa-new", "a leftover the next real run removes");
  ASSERT_TRUE(RememberMount(fs, state, dest, dest));  // as if dest had been a mount point
  const Strings before = Names(dest);
  for (bool keep : {false, true}) {
    job.CopyMode = keep;
    job.Destination = dest;
    EXPECT_EQ(Outcome(), Ends(RunEnd::StoppedAtCheck, {kNotReady}));
    EXPECT_EQ(Names(dest), before);
  }
}

}  // namespace
}  // namespace orvessa
