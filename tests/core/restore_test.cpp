#include "core/restore.hpp"

#include <sys/stat.h>

#include <map>
#include <tuple>

#include "core/copy_search.hpp"
#include "core/run_history.hpp"
#include "tests/support/backup_run_fixture.hpp"

namespace orvessa::testing {
namespace {

// Three days of copies: Docs/a.txt changes every day, Docs/sub/b.txt is gone on the third.
class Restore : public Run {
 protected:
  void SetUp() override {
    Run::SetUp();
    Folder(src + "/Docs");
    File(src + "/notes.txt");
    Keep(5);
    for (int day = 1; day <= 3; ++day) {
      if (day == 2) WriteText(src + "/Docs/a.txt", "alpha two");
      if (day == 3) {
        WriteText(src + "/Docs/a.txt", "alpha three");
        std::filesystem::remove(src + "/Docs/sub/b.txt");
      }
      clock.Set({{2026, 12, day}, {10, 0, 0}});
      ASSERT_EQ(Start(), RunEnd::Normal);
    }
    copies = ListCopies(fs, job, ReadRunHistory(fs, state));
    ASSERT_EQ(copies.size(), 3u);
  }

  RestoreResult Restored(const CopyInfo& copy, Strings originals, std::string to = {},
                         bool replace = false, RestorePlan* kept = nullptr) {
    RestorePlan plan = PlanRestore(fs, fs, job, {copy, originals, to, replace, {2026, 12, 8}});
    RestoreResult result = RunRestore(fs, fs, plan, nullptr);
    if (kept) *kept = std::move(plan);
    return result;
  }

  // What a copy must keep whatever is restored from it.
  std::map<std::string, std::tuple<ino_t, nlink_t, off_t, std::int64_t>> Snapshot() const {
    std::map<std::string, std::tuple<ino_t, nlink_t, off_t, std::int64_t>> seen;
    for (const auto& item : std::filesystem::recursive_directory_iterator(dest)) {
      struct stat st {};
      ::lstat(item.path().c_str(), &st);
      seen[item.path()] = {st.st_ino, st.st_nlink, st.st_size,
                           st.st_mtim.tv_sec * 1'000'000'000LL + st.st_mtim.tv_nsec};
    }
    return seen;
  }

  std::vector<CopyInfo> copies;
};

TEST_F(Restore, ListsCopiesVersionsDeletedFilesAndNames) {
  EXPECT_EQ(copies[0].name, "Copy03");
  EXPECT_EQ(copies[2].name, "Copy01");
  EXPECT_EQ(copies[1].when, "2026-12-02 10:00:00");
  EXPECT_TRUE(copies[1].when_known);
  EXPECT_EQ(copies[2].bytes, 5u + 4u + 5u);
  EXPECT_EQ(copies[0].missing, 0u);

  auto changes = [&](const std::string& original) {
    std::vector<std::pair<std::string, bool>> seen;
    for (const FileVersion& v : VersionsOf(fs, fs, job, copies, original)) {
      seen.emplace_back(v.item.copy, v.changed);
    }
    return seen;
  };
  using Seen = std::vector<std::pair<std::string, bool>>;
  EXPECT_EQ(changes(src + "/Docs/a.txt"),
            (Seen{{"Copy03", true}, {"Copy02", true}, {"Copy01", true}}));
  EXPECT_EQ(changes(src + "/notes.txt"),
            (Seen{{"Copy03", false}, {"Copy02", false}, {"Copy01", true}}));
  EXPECT_EQ(changes(src + "/Docs/sub/b.txt"), (Seen{{"Copy02", false}, {"Copy01", true}}));
  EXPECT_TRUE(changes(src + "/elsewhere.txt").empty());

  Strings deleted, found;
  DeletedSince(fs, job, copies[1], [&](const CopyItem& item) {
    deleted.push_back(item.original);
    return true;
  });
  EXPECT_EQ(deleted, Strings{src + "/Docs/sub/b.txt"});
  SearchCopies(fs, job, copies, "B.TX", [&](const CopyItem& item) {
    found.push_back(item.copy + " " + item.original);
    return true;
  });
  EXPECT_EQ(found,
            (Strings{"Copy02 " + src + "/Docs/sub/b.txt", "Copy01 " + src + "/Docs/sub/b.txt"}));
  found.clear();
  SearchCopies(fs, job, copies, "txt", [&](const CopyItem&) { return false; });
  EXPECT_TRUE(found.empty());
}

TEST_F(Restore, PathsMapBetweenSourcesAndCopies) {
  job.Sources.push_back(*SourceEntry::ForFolder("/"));
  job.Sources.push_back(*SourceEntry::ForFolder(src + "/Docs/sub"));
  const std::string c = "/b/Copy01";
  // Original, its place in the copy ("" for none).
  const std::vector<std::pair<std::string, std::string>> cases = {
      {src + "/Docs/a.txt", c + "/Docs/a.txt"},    {src + "/Docs", c + "/Docs"},
      {src + "/Docs/sub/b.txt", c + "/sub/b.txt"},  // the innermost source
      {src + "/notes.txt", c + "/notes.txt"},      {"/etc/passwd", c + "/root/etc/passwd"},
  };
  for (const auto& [original, inside] : cases) {
    EXPECT_EQ(PathInCopy(job, c + "/", original), inside) << original;
    EXPECT_EQ(OriginalOf(job, c, inside), original) << inside;
  }
  job.Sources.erase(job.Sources.begin() + 2);
  EXPECT_EQ(PathInCopy(job, c, "/etc/passwd"), std::nullopt);
  EXPECT_EQ(PathInCopy(job, c, src + "/notes.txt.bak"), std::nullopt);
  EXPECT_EQ(OriginalOf(job, c, c + "/notes.txt/x"), std::nullopt);
  EXPECT_EQ(OriginalOf(job, c, "/b/Copy02/Docs"), std::nullopt);
}

TEST_F(Restore, KeepsBothSkipsIdenticalReplacesAndNeverTouchesTheCopies) {
  const auto before = Snapshot();
  const std::string a = src + "/Docs/a.txt", kept = src + "/Docs/a (restored 2026-12-08).txt";
  RestorePlan plan;
  RestoreResult result = Restored(copies[2], {a}, {}, false, &plan);
  EXPECT_EQ(plan.differing, 1u);
  EXPECT_EQ(result.kept_both, 1u);
  EXPECT_EQ(ReadText(a), "alpha three");
  EXPECT_EQ(ReadText(kept), "alpha");
  struct stat restored {
  }, in_copy{};
  ::stat(kept.c_str(), &restored);
  ::stat((copies[2].path + "/Docs/a.txt").c_str(), &in_copy);
  EXPECT_EQ(restored.st_nlink, 1u);
  EXPECT_EQ(restored.st_mtim.tv_sec, in_copy.st_mtim.tv_sec);
  EXPECT_EQ(restored.st_mode, in_copy.st_mode);

  result = Restored(copies[2], {a});  // again: the earlier restore already holds it
  EXPECT_EQ(result.skipped, 1u);
  EXPECT_EQ(result.files, 0u);
  EXPECT_FALSE(Exists(src + "/Docs/a (restored 2026-12-08 2).txt"));

  result = Restored(copies[1], {a}, {}, true);
  EXPECT_EQ(result.replaced, 1u);
  EXPECT_EQ(ReadText(a), "alpha two");

  const std::string out = tmp / "out";
  result = Restored(copies[1], {src + "/Docs", src + "/nowhere"}, out, false, &plan);
  EXPECT_EQ(plan.problems.size(), 1u);
  EXPECT_EQ(ReadText(out + "/Docs/sub/b.txt"), "beta");
  EXPECT_EQ(ReadText(out + "/Docs/a.txt"), "alpha two");
  EXPECT_EQ(Names(out), Strings{"Docs"});
  // Into a folder that already holds it: only what differs is added beside.
  WriteText(out + "/Docs/a.txt", "mine");
  result = Restored(copies[1], {src + "/Docs"}, out);
  EXPECT_EQ(result.skipped, 1u);
  EXPECT_EQ(result.kept_both, 1u);
  EXPECT_EQ(ReadText(out + "/Docs/a.txt"), "mine");
  EXPECT_EQ(Snapshot(), before);
  // A copy that holds the name a kept file would take: each gets a name of its own.
  WriteText(src + "/Docs/a (restored 2026-12-08).txt", "earlier restore");
  std::filesystem::remove(src + "/Docs/a (restored 2026-12-08 2).txt");
  ASSERT_EQ(Start(), RunEnd::Normal);
  const CopyInfo newest = ListCopies(fs, job, ReadRunHistory(fs, state)).front();
  std::filesystem::remove_all(src + "/Docs");
  WriteText(src + "/Docs/a.txt", "yet another");
  result = Restored(newest, {src + "/Docs"});
  EXPECT_EQ(result.failed, 0u);
  EXPECT_EQ(ReadText(src + "/Docs/a (restored 2026-12-08).txt"), "earlier restore");
  EXPECT_EQ(ReadText(src + "/Docs/a (restored 2026-12-08 2).txt"), "alpha two");
}

TEST_F(Restore, FailuresAreReportedPerFileAndAStopLeavesNoFinalName) {
  std::filesystem::remove_all(src + "/Docs");
  fs.Fail(FsOp::CopyFile, copies[0].path + "/Docs/a.txt", FsErrorKind::PermissionDenied, EACCES);
  RestoreResult result = Restored(copies[0], {src + "/Docs/a.txt", src + "/notes.txt"});
  EXPECT_EQ(result.failed, 1u);
  ASSERT_EQ(result.failures.size(), 1u);
  EXPECT_EQ(result.failures[0].path, copies[0].path + "/Docs/a.txt");
  EXPECT_FALSE(Exists(src + "/Docs/a.txt"));

  class StopAtOnce : public RestoreProgress {
   public:
    explicit StopAtOnce(std::stop_source& stop) : stop_(stop) {}
    void Progress(std::uint64_t, std::uint64_t, const std::string&) override {
      stop_.request_stop();
    }
    std::stop_source& stop_;
  } stopper(stop);
  stop = std::stop_source();
  std::filesystem::remove_all(src + "/Docs");
  RestorePlan plan =
      PlanRestore(fs, fs, job, {copies[1], {src + "/Docs"}, {}, false, {2026, 12, 8}});
  ASSERT_EQ(plan.steps.size(), 1u);
  EXPECT_EQ(plan.steps[0].action, RestoreAction::NewTree);
  result = RunRestore(fs, fs, plan, &stopper, stop.get_token());
  EXPECT_TRUE(result.stopped);
  EXPECT_EQ(Names(src), Strings{"notes.txt"});
}

TEST(RunHistory, KeepsItsLinesWhateverThePathsHold) {
  TempFolder tmp;
  FaultInjectingFileSystem fs;
  RunRecord record{"2026-12-01 10:00:00",
                   "2026-12-01 10:00:09",
                   RunOutcome::Stopped,
                   "/mnt/a\tb\\c\n/",
                   "Copy07",
                   "daily.cop",
                   3,
                   40,
                   1,
                   2,
                   false};
  ASSERT_TRUE(AppendRunRecord(fs, tmp / "state", record).ok());
  RunRecord second = record;
  second.outcome = RunOutcome::Normal;
  second.verified = true;
  ASSERT_TRUE(AppendRunRecord(fs, tmp / "state", second).ok());
  EXPECT_EQ(ReadRunHistory(fs, tmp / "state"), (std::vector<RunRecord>{record, second}));
  for (const char* bad :
       {"", "a\tb", "x\ty\tnormal\t/d\t\tj\t1\t2\t3\t-4\t-", "x\ty\tfine\t/d\t\tj\t1\t2\t3\t4\t-",
        "x\ty\terror\t/d\\q\t\tj\t1\t2\t3\t4\t-"}) {
    EXPECT_FALSE(ParseRunRecord(bad, record)) << bad;
  }
  // A history at its length loses its oldest line to the newest.
  std::string full;
  for (std::size_t i = 0; i < kRunHistoryKept; ++i) {
    second.files = i;
    full += RunRecordLine(second);
  }
  WriteText(tmp / "state/runs.tsv", full + "garbage\n");
  second.files = 99999;
  ASSERT_TRUE(AppendRunRecord(fs, tmp / "state", second).ok());
  const auto kept = ReadRunHistory(fs, tmp / "state");
  ASSERT_EQ(kept.size(), kRunHistoryKept);
  EXPECT_EQ(kept.front().files, 1u);
  EXPECT_EQ(kept.back().files, 99999u);
}

}  // namespace
}  // namespace orvessa::testing
