// Runs the built orvessa-run as a user would: a home, settings and program folder of its
// own per test, job files written byte by byte, and only what a user can see is checked.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <csignal>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <thread>

#include "tests/support/child_process.hpp"
#include "tests/support/file_helpers.hpp"

namespace orvessa {
namespace {

using namespace testing;
namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

constexpr const char* kProgram = ORVESSA_RUN_PATH;
const std::string kDocuments = "Документы";  // not in the code page

struct Result {
  int status = -1;  // the exit status, 128 + the signal for a killed program
  std::string out, err;
};

std::ostream& operator<<(std::ostream& os, const Result& r) {
  return os << "exit " << r.status << "\n--- stdout\n" << r.out << "--- stderr\n" << r.err;
}

// Every path below `folder` with the file's bytes, "<folder>" for folders.
std::map<std::string, std::string> Tree(const std::string& folder) {
  std::map<std::string, std::string> tree;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    tree[fs::relative(entry.path(), folder).string()] =
        entry.is_directory() ? "<folder>" : ReadText(entry.path().string());
  }
  return tree;
}

// A manual job: lines 1 to 16, the entries and the closing empty line.
std::string JobBytes(const std::string& destination, bool keep_copies, int copies_to_keep,
                     const Strings& entries) {
  const char* flags[] = {"Falso", "Verdadero"};
  std::string bytes =
      "10:00:00\r\n01/12/2026\r\n" + destination + "\r\n" + flags[!keep_copies] + "\r\n" +
      flags[keep_copies] + "\r\n " + std::to_string(copies_to_keep) +
      " \r\nVerdadero\r\nFalso\r\nFalso\r\n 1 \r\n\r\n 21 \r\n 30 \r\n 0 \r\n 0 \r\n " +
      std::to_string(entries.size()) + " \r\n";
  for (const auto& entry : entries) bytes += entry + "\r\n";
  return bytes + "\r\n";
}

void SetMode(const std::string& path, mode_t mode) { ASSERT_EQ(::chmod(path.c_str(), mode), 0); }

// The shell's answer; its output is dropped.
bool Shell(const std::string& command) {
  return std::system(("(" + command + ") >/dev/null 2>&1").c_str()) == 0;
}

// A file system of its own for a test, mounted on a folder by root; undone at the end.
class Mount {
 public:
  explicit Mount(std::string at) : at_(std::move(at)) { fs::create_directories(at_); }
  ~Mount() {
    if (mounted_) Shell("umount -l '" + at_ + "'");
    if (!image_.empty()) Shell("losetup -j '" + image_ + "' | cut -d: -f1 | xargs -r losetup -d");
  }
  bool Tmpfs(const std::string& size) {
    return Done("mount -t tmpfs -o size=" + size + " tmpfs '" + at_ + "'");
  }
  // A FAT stick image: vfat where the kernel has it, else exFAT through FUSE.
  bool Fat(const std::string& image) {
    image_ = image;
    return Done("truncate -s 64M '" + image + "' && mkfs.vfat '" + image + "' && mount -o loop '" +
                image + "' '" + at_ + "'") ||
           Done("mkfs.exfat '" + image + "' && mount.exfat-fuse \"$(losetup -f --show '" + image +
                "')\" '" + at_ + "'");
  }
  bool ReadOnly() { return Shell("mount -o remount,ro '" + at_ + "'"); }
  bool Unmount() { return !(mounted_ = !Shell("umount '" + at_ + "'")); }

 private:
  bool Done(const std::string& command) { return mounted_ = ::geteuid() == 0 && Shell(command); }
  std::string at_, image_;
  bool mounted_ = false;
};

// A listing of a tree as `find` gives it: type, mode, owner, size, links, modification
// time and link target of every path, so two copies can be compared.
std::string Listing(const std::string& folder) {
  const std::string out = folder + ".listing";
  Shell("cd '" + folder +
        "' && find . -printf '%p %y %m %u:%g %s %n %TY-%Tm-%Td_%TT %l\\n' | sort > '" + out + "'");
  std::string text = ReadText(out);
  fs::remove(out);
  return text;
}

class OrvessaRun : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const auto& folder : {home, config, data, runtime, jobs, src, dest}) {
      fs::create_directories(folder);
    }
    SetMode(runtime, 0700);
  }

  // Starts the program with an environment of its own, an empty standard input and its
  // outputs in files; CTest's time limit catches a program that hangs. `exe` may be a tool
  // that starts the program itself.
  Result Run(Strings args, std::optional<testing::User> as = {},
             const std::function<void(pid_t)>& meanwhile = {},
             const std::string& exe = kProgram) const {
    args.insert(args.begin(), exe);
    Strings env = {
        "PATH=/usr/local/bin:/usr/bin:/bin", "LANG=C.UTF-8",          "HOME=" + home,
        "XDG_CONFIG_HOME=" + config,         "XDG_DATA_HOME=" + data, "XDG_RUNTIME_DIR=" + runtime,
        "QT_QPA_PLATFORM=offscreen"};
    env.insert(env.end(), extra_env.begin(), extra_env.end());
    // A sanitizer build reports through these.
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
      if (const char* value = std::getenv(name)) env.push_back(std::string(name) + "=" + value);
    }
    auto pointers = [](Strings& texts) {
      std::vector<char*> all;
      for (auto& text : texts) all.push_back(text.data());
      all.push_back(nullptr);
      return all;
    };
    const std::string out = root + "/stdout", err = root + "/stderr";
    const int fds[3] = {::open("/dev/null", O_RDONLY),
                        ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600),
                        ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600)};
    Result result;
    result.status = testing::InChild(
        [&] {
          for (int fd = 0; fd < 3; ++fd) {
            if (::dup2(fds[fd], fd) < 0) return 126;
          }
          ::execve(exe.c_str(), pointers(args).data(), pointers(env).data());
          return 127;
        },
        as, meanwhile);
    for (int fd : fds) ::close(fd);
    result.out = ReadText(out);
    result.err = ReadText(err);
    return result;
  }

  // The user nobody, who owns everything of the test and can reach the program; no user
  // when the test does not run as root (whose reads are never refused), a skip message
  // when root cannot become nobody.
  std::optional<testing::User> Nobody(std::string& skip) {
    if (::geteuid() != 0) return std::nullopt;
    std::optional<testing::User> as = testing::Nobody();
    if (!as) {
      skip = "running as root and there is no user nobody to run as";
      return as;
    }
    SetMode(root, 0755);
    EXPECT_EQ(::chown(root.c_str(), as->uid, as->gid), 0);
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
      EXPECT_EQ(::lchown(entry.path().c_str(), as->uid, as->gid), 0) << entry.path();
    }
    // The binary sits in the build tree, which that user may not be able to reach.
    if (testing::InChild([] { return ::access(kProgram, X_OK); }, as) != 0) {
      skip = std::string("user nobody cannot run ") + kProgram;
    }
    return as;
  }

  std::string Job(const std::string& name, const std::string& bytes) const {
    WriteText(jobs + "/" + name, bytes);
    return jobs + "/" + name;
  }

  Strings extra_env;  // set before the ones passed on from the test's own
  testing::TempFolder tmp;
  const std::string root = tmp.path().string();
  const std::string home = root + "/home", config = root + "/config", data = root + "/data",
                    runtime = root + "/run", jobs = root + "/jobs", src = root + "/src",
                    dest = root + "/backup", program = data + "/Orvessa";
};

// What the program refuses ends with its own status, says why and touches nothing.
TEST_F(OrvessaRun, RefusalsExitWithTheirStatusAndTouchNothing) {
  for (std::string flag : {"--help", "-h"}) {
    Result r = Run({flag});
    EXPECT_TRUE(r.status == 0 && r.err.empty() && Has(r.out, "64") && Has(r.out, "66")) << r;
  }
  WriteText(dest + "/Copy01/old.txt", "old");
  WriteText(src + "/notes.txt", "notes");
  const std::string good = JobBytes(dest, true, 0, {src + "/notes.txt"});
  const std::string job = Job("daily.cop", good), none = jobs + "/none.cop";
  const std::string usage = "\nusage: orvessa-run ", binary(
                                                         "\x7f"
                                                         "ELF\x02\x01\x01\0\0\0",
                                                         10);
  // The status, the arguments, a text the message must hold.
  std::vector<std::tuple<int, Strings, std::string>> calls = {
      {64, {}, usage},         {64, {"--frobnicate", job}, usage},     {64, {"-x", job}, usage},
      {64, {job, job}, usage}, {64, {"--power-off", job, job}, usage}, {66, {none}, none},
      {66, {jobs}, jobs},      {66, {"--power-off", none}, none}};
  const Strings malformed = {
      "",
      "\xEF\xBB\xBF",
      good.substr(0, good.size() / 2),
      good.substr(0, good.find(" 0 \r\n 0 \r\n") + 5),
      binary + good,
      good.substr(0, 10) + std::string(1 << 20, 'a') + "\r\n" + good,
      good.substr(0, good.size() - 2) + src + "/more.txt\r\n\r\n",  // more sources than counted
      JobBytes(dest, true, 0, {src + "/notes.txt", src + "/b"}).substr(0, good.size() - 2)};
  for (std::size_t i = 0; i < malformed.size(); ++i) {
    const std::string bad = Job("bad" + std::to_string(i) + ".cop", malformed[i]);
    calls.emplace_back(65, Strings{bad}, "the job file " + bad + " is not a valid job");
  }
  for (const auto& [status, args, named] : calls) {
    Result r = Run(args);
    EXPECT_EQ(r.status, status) << r;
    EXPECT_TRUE(r.out.empty() && r.err.starts_with("Orvessa: ") && Has(r.err, named)) << r;
  }
  EXPECT_TRUE(Names(data).empty()) << "nothing may start a run";
  // No sources: stopped with the message in the chosen language.
  const std::string empty = Job("empty.cop", JobBytes(dest, false, 0, {}));
  for (const auto& [language, text] : std::map<int, std::string>{
           {0, "You have not chose either source folder or file to copy. "},  // no settings
           {328, "Sie haben die zu kopierenden Dateien oder Verzeichnis noch nicht gewählt."}}) {
    if (language) WriteText(config + "/Orvessa/Orvessa.conf", "[Language]\nLanguage=328\n");
    Result r = Run({empty});
    EXPECT_EQ(r.status, 2) << r;
    EXPECT_EQ(r.err, "Orvessa: " + text + "\n") << language;
  }
  EXPECT_EQ(Names(dest), Strings{"Copy01"});
  EXPECT_EQ(Run({job}).status, 0) << "the job the bad ones were cut from is good";
}

// One job file in the code page, one in UTF-8 with a byte order mark, into one destination.
TEST_F(OrvessaRun, OverwriteRunsCopyWhatTheJobFilesNameAndRecordTheRun) {
  const std::string euro_file = src + "/notas €.txt";
  WriteText(src + "/Docs/a.txt", "alpha");
  WriteText(src + "/Docs/sub/b.txt", "beta");
  WriteText(euro_file, "notes");
  WriteText(dest + "/unrelated.txt", "left alone");
  // The euro sign is the single byte 0x80 in the code page.
  const std::string daily =
      Job("daily.cop", JobBytes(dest, false, 0, {src + "/Docs/*", src + "/notas \x80.txt"}));
  const std::string cyrillic = src + "/" + kDocuments;
  WriteText(cyrillic + "/a.txt", "alpha");
  WriteText(cyrillic + "/.profile", "hidden by name only");
  const std::string weekly =
      Job("weekly.cop", "\xEF\xBB\xBF" + JobBytes(dest, false, 0, {cyrillic + "/*"}));

  Result r = Run({daily});
  ASSERT_EQ(r.status, 0) << r;
  EXPECT_EQ(r.err, "") << "no terminal, so no progress bar and nothing else";
  // Each source as its copy starts, the comparison, the last line with the date and time,
  // the summary.
  const std::string lines = src + "/Docs/*\n" + euro_file +
                            "\nComparing the copy with the originals...\nFinished Backup ";
  EXPECT_TRUE(r.out.starts_with(lines)) << r;
  EXPECT_TRUE(
      r.out.ends_with(" s.\nVerified 3 files, 14 bytes, against their sources and a "
                      "check file: 0 differ.\n"))
      << r;
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 6) << r;
  EXPECT_NE(r.out.find_first_of("0123456789", lines.size()), std::string::npos) << r;
  EXPECT_TRUE(Has(r.out, "\nCopied 3 files, 14 bytes, in ")) << r;
  EXPECT_EQ(Tree(dest + "/Docs"), Tree(src + "/Docs"));
  EXPECT_EQ(ReadText(dest + "/notas €.txt"), "notes");

  ASSERT_EQ(Run({weekly}).status, 0);
  EXPECT_EQ(Tree(dest + "/" + kDocuments), Tree(cyrillic));
  EXPECT_EQ(Names(dest), (Strings{"Docs", "daily.cop", "notas €.txt", "unrelated.txt", "weekly.cop",
                                  kDocuments}));
  EXPECT_EQ(ReadText(dest + "/unrelated.txt"), "left alone");
  // The program folder is the data home's: the saved jobs and the record of the last copy.
  EXPECT_EQ(Names(program), (Strings{"daily.cop", "ultima.ovs", "weekly.cop"}));
}

// A job file read at run time keeps at least one prior copy, whatever it says, and shares
// unchanged files with it unless told not to (sharing's rules are the engine's).
TEST_F(OrvessaRun, KeepModeKeepsAPriorCopyAndSharesUnlessToldNot) {
  WriteText(dest + "/Copy of report/r.txt", "mine");
  WriteText(src + "/Docs/f", "unchanged");
  const std::string job = Job("daily.cop", JobBytes(dest, true, 0, {src + "/Docs/*"}));
  Result r;
  for (int run = 1; run <= 3; ++run) {
    WriteText(src + "/Docs/notes.txt", "run " + std::to_string(run));
    r = Run(run < 3 ? Strings{job} : Strings{"--no-share", job});
    ASSERT_EQ(r.status, 0) << r;
    EXPECT_TRUE(r.out.starts_with(src + "/Docs/*\nComparing the copy with the originals...\n"
                                        "Finished Backup "))
        << r;
    if (run == 2) {
      EXPECT_EQ(fs::hard_link_count(dest + "/Copy02/Docs/f"), 2u);
    }
  }
  EXPECT_FALSE(Has(r.out, "shared with the prior copy")) << r;
  EXPECT_EQ(Names(dest), (Strings{"Copy of report", "Copy02", "Copy03", "daily.cop"}));
  EXPECT_EQ(ReadText(dest + "/Copy03/Docs/notes.txt"), "run 3");
  EXPECT_EQ(ReadText(dest + "/Copy03/Docs/f"), "unchanged");
  EXPECT_EQ(fs::hard_link_count(dest + "/Copy03/Docs/f"), 1u);
}

// A day's copy with a file the user may not read and a source that is gone: the copy is
// still made, holds yesterday's versions of both, says so, and the run is an error run.
TEST_F(OrvessaRun, WhatCannotBeReadTodayIsTakenFromTheLastCopyInBothModes) {
  WriteText(src + "/Docs/a.txt", "alpha");
  WriteText(src + "/Docs/secret.txt", "secret");
  WriteText(src + "/Docs/sub/b.txt", "beta");
  WriteText(src + "/Letters/l.txt", "letter");
  const Strings entries = {src + "/Docs/*", src + "/Letters/*"};
  const std::string keep = Job("keep.cop", JobBytes(dest + "/keep", true, 1, entries));
  const std::string over = Job("over.cop", JobBytes(dest + "/over", false, 0, entries));
  fs::create_directories(dest + "/keep");
  fs::create_directories(dest + "/over");
  std::string skip;
  const std::optional<testing::User> as = Nobody(skip);
  if (!skip.empty()) GTEST_SKIP() << skip;
  for (const auto& job : {keep, over}) ASSERT_EQ(Run({job}, as).status, 0);
  // A job file the user may not read is refused.
  const std::string locked = Job("locked.cop", ReadText(keep));
  SetMode(locked, 0);
  const Result refused = Run({locked}, as);
  EXPECT_TRUE(refused.status == 66 && Has(refused.err, "Orvessa: ") && Has(refused.err, locked))
      << refused;

  WriteText(src + "/Docs/a.txt", "alpha, day 2");
  SetMode(src + "/Docs/secret.txt", as ? 0 : 0644);
  fs::remove_all(src + "/Letters");
  const std::map<std::string, std::string> copies = {{keep, dest + "/keep/Copy02"},
                                                     {over, dest + "/over"}};
  for (const auto& [job, copy] : copies) {
    Result r = Run({job}, as);
    EXPECT_EQ(r.status, 1) << r;
    EXPECT_TRUE(Has(r.out, "\n  " + src + "/Letters: it vanished or was not found\n")) << r;
    EXPECT_EQ(ReadText(copy + "/Docs/a.txt"), "alpha, day 2");
    EXPECT_EQ(ReadText(copy + "/Letters/l.txt"), "letter");
    EXPECT_TRUE(
        Has(ReadText(program + "/" + fs::path(job).filename().string()), "\r\n 1 \r\n 2 \r\n"))
        << "recorded as an error run";
    const std::string list = ReadText(copy + "/.orvessa-missing.txt");
    if (!as) continue;  // root reads everything
    EXPECT_TRUE(Has(r.out, "\n  " + src + "/Docs/secret.txt: the system denies the permission"))
        << r;
    EXPECT_EQ(ReadText(copy + "/Docs/secret.txt"), "secret");
    const std::string from =
        job == keep ? "carried over from Copy01: " : "kept from the previous copy: ";
    EXPECT_TRUE(Has(list, src + "/Docs/secret.txt\t" + from)) << list;
    EXPECT_TRUE(Has(list, src + "/Letters\t" + from)) << list;
    EXPECT_TRUE(
        Has(r.out, job == keep
                       ? "\nCarried over from Copy01, not copied today: 2 files or folders.\n"
                       : "\nKept from the previous copy, not copied today: 2 files or folders.\n"))
        << r;
  }
  EXPECT_EQ(Names(dest + "/keep"), (Strings{"Copy01", "Copy02", "keep.cop"}));
  if (as) {
    EXPECT_TRUE(fs::equivalent(dest + "/keep/Copy01/Docs/secret.txt",
                               dest + "/keep/Copy02/Docs/secret.txt"));
  }
}

// The destination's own disk: read-only, it ends the run and keeps its copies; once it is
// unmounted, its bare mount point is not ready; another disk mounted there is.
TEST_F(OrvessaRun, ADestinationDiskReadOnlyOrNotMountedKeepsWhatItHolds) {
  const std::string point = root + "/mnt/backup";
  const Strings filled = {"Copy01", "keep.cop", "notes.txt", "over.cop"};
  WriteText(src + "/notes.txt", "notes");
  const std::string keep = Job("keep.cop", JobBytes(point, true, 2, {src + "/notes.txt"}));
  const std::string over = Job("over.cop", JobBytes(point, false, 0, {src + "/notes.txt"}));
  {
    Mount first(point);
    if (!first.Tmpfs("4m")) GTEST_SKIP() << "needs root to mount a tmpfs";
    for (const auto& job : {keep, over}) ASSERT_EQ(Run({job}).status, 0);
    ASSERT_TRUE(first.ReadOnly());
    for (const auto& job : {keep, over}) {
      Result r = Run({job});
      EXPECT_EQ(r.status, 1) << r;
      EXPECT_TRUE(Has(r.out, ": the destination is read-only\n")) << r;
      EXPECT_EQ(Names(point), filled);
    }
    ASSERT_TRUE(first.Unmount());
    for (const auto& job : {keep, over}) {
      Result r = Run({job});
      EXPECT_EQ(r.status, 2) << r;
      EXPECT_EQ(r.err, "Orvessa: Destination drive is not ready.\n") << r;
      EXPECT_EQ(Names(point), Strings{}) << "nothing is written to the disk below";
    }
  }
  Mount second(point);
  ASSERT_TRUE(second.Tmpfs("4m"));
  for (const auto& job : {keep, over}) EXPECT_EQ(Run({job}).status, 0);
  EXPECT_EQ(Names(point), filled);
}

// Traced as it happens: the copy reaches the disk before it is named, its name before the
// copy it replaces goes.
TEST_F(OrvessaRun, TheSyncComesBeforeTheNewNameAndTheNameBeforeTheOldCopyGoes) {
  if (!Shell("strace -V")) GTEST_SKIP() << "needs strace";
  WriteText(src + "/Docs/a.txt", "alpha");
  const std::string job = Job("daily.cop", JobBytes(dest, true, 1, {src + "/Docs/*"}));
  for (int day = 0; day < 2; ++day) ASSERT_EQ(Run({job}).status, 0);
  const std::string trace = root + "/trace";
  extra_env = {"ASAN_OPTIONS=detect_leaks=0"};  // the leak check cannot run under a tracer
  Result r = Run({"-f", "-o", trace, "-e",
                  "trace=syncfs,fsync,rename,renameat,renameat2,unlinkat,rmdir", kProgram, job},
                 {}, {}, "/usr/bin/strace");
  ASSERT_EQ(r.status, 0) << r;
  std::vector<std::string> calls;
  std::istringstream lines(ReadText(trace));
  for (std::string line; std::getline(lines, line);) {
    if (line.find("+++") == std::string::npos) calls.push_back(line.substr(line.find(' ') + 1));
  }
  auto first = [&](const std::string& text) {
    for (std::size_t i = 0; i < calls.size(); ++i) {
      if (Has(calls[i], text)) return i;
    }
    ADD_FAILURE() << text << " not in\n" << ReadText(trace);
    return calls.size();
  };
  const std::size_t synced = first("syncfs(");
  EXPECT_LT(first("rename"), calls.size());
  EXPECT_GT(first("rename"), synced);
  EXPECT_LT(synced, first("\"" + dest + "/Copy03\""));
  EXPECT_LT(first("\"" + dest + "/Copy03\""), first("fsync("));
  EXPECT_LT(first("fsync("), first("\"" + dest + "/.Copy01.orvessa-gone\""));
}

// A FAT stick: names it cannot hold (or that differ only by case) and links it cannot make
// are listed and everything else copied; without hard links every kept copy is whole.
TEST_F(OrvessaRun, AStickGetsWhatItCanHoldAndWholeCopies) {
  const std::string stick = root + "/stick";
  Mount mount(stick);
  if (!mount.Fat(root + "/stick.img")) {
    GTEST_SKIP() << "needs root and vfat (or exfat-fuse) to mount a stick image";
  }
  for (const std::string name : {"what?.txt", "a:b.txt", "sub/Case.txt"}) {
    WriteText(src + "/Docs/" + name, "odd");
  }
  WriteText(src + "/Docs/sub/case.txt", "lower");
  WriteText(src + "/Docs/ok.txt", "ok");
  WriteText(src + "/Docs/sub/deeper/ok.txt", "deep");
  SetMode(src + "/Docs/ok.txt", 0640);  // a mode the stick cannot hold is no failure
  Result r = Run({Job("daily.cop", JobBytes(stick, false, 0, {src + "/Docs/*"}))});
  EXPECT_EQ(r.status, 1) << r;
  EXPECT_TRUE(Has(r.out, "\nNot copied (3 files or folders):\n")) << r;
  for (const std::string name : {"what?.txt", "a:b.txt"}) {
    EXPECT_TRUE(Has(r.out, "  " + src + "/Docs/" + name + ": ")) << r;
  }
  EXPECT_EQ(ReadText(stick + "/Docs/ok.txt"), "ok");
  EXPECT_EQ(ReadText(stick + "/Docs/sub/deeper/ok.txt"), "deep");
  EXPECT_TRUE(Has(ReadText(program + "/daily.cop"), "\r\n 1 \r\n 1 \r\n"));

  WriteText(src + "/Plain/a.txt", "alpha");
  WriteText(src + "/Plain/sub/b.txt", "beta");
  const std::string kept = Job("kept.cop", JobBytes(stick + "/kept", true, 3, {src + "/Plain/*"}));
  fs::create_directories(stick + "/kept");
  for (int day = 0; day < 2; ++day) EXPECT_EQ(Run({kept}).status, 0);
  EXPECT_EQ(Tree(stick + "/kept/Copy02/Plain"), Tree(src + "/Plain"));
  EXPECT_EQ(fs::hard_link_count(stick + "/kept/Copy01/Plain/a.txt"), 1u);
}

// A file damaged in one copy with its time put back is found in the next copy that shares it.
TEST_F(OrvessaRun, AComparisonOfAllFindsADamagedSharedFile) {
  WriteText(src + "/Docs/a.txt", "alpha");
  WriteText(src + "/Docs/sub/b.txt", "beta");
  const std::string job = Job("daily.cop", JobBytes(dest, true, 3, {src + "/Docs/*"}));
  ASSERT_EQ(Run({job}).status, 0);
  ASSERT_TRUE(Shell("cd '" + dest + "/Copy01/Docs' && cp -p a.txt t && printf A | dd of=a.txt " +
                    "conv=notrunc && touch -r t a.txt && rm t"));
  Result r = Run({"--verify-all", job});
  EXPECT_EQ(r.status, 1) << r;
  EXPECT_TRUE(Has(r.out, "Verified all 2 files")) << r;
  EXPECT_TRUE(Has(r.out, "  differs: " + dest + "/Copy02/Docs/a.txt: ")) << r;
  EXPECT_EQ(r.err,
            "Orvessa: Some files of the new copy differ from their originals: the "
            "destination disk may be failing.\n");
}

// Stopped mid-copy by a signal: no cut-off file, no half copy, every prior copy as it was;
// killed outright: the next run cleans up after it and completes.
TEST_F(OrvessaRun, SignalsStopTheRunCleanlyAndAKilledRunIsCleanedUpAfter) {
  WriteText(src + "/Docs/small.txt", "small");
  WriteText(dest + "/Copy01/old.txt", "prior");
  {
    std::ofstream big(src + "/Docs/big.bin", std::ios::binary);
    const std::string block(1 << 20, 'z');
    for (int i = 0; i < 768; ++i) big << block;
  }
  const std::string job = Job("daily.cop", JobBytes(dest, true, 1, {src + "/Docs/*"}));
  // Waits until the copy is under way, then sends the signal.
  auto mid_copy = [&](int signal) {
    return [&, signal](pid_t pid) {
      const std::string part = dest + "/.Copy02.orvessa-new/.Docs.orvessa-new/big.bin";
      for (int i = 0; i < 20000 && !Exists(part); ++i) std::this_thread::sleep_for(1ms);
      ::kill(pid, signal);
    };
  };
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
    Result r = Run({job}, {}, mid_copy(signal));
    EXPECT_EQ(r.status, 128 + signal) << r;
    EXPECT_TRUE(Has(r.out, "\nBackup Error ")) << r;
    EXPECT_EQ(Names(dest), Strings{"Copy01"});
    EXPECT_TRUE(Has(ReadText(program + "/daily.cop"), "\r\n 1 \r\n 1 \r\n"));
  }
  Result killed = Run({job}, {}, mid_copy(SIGKILL));
  EXPECT_EQ(killed.status, 128 + SIGKILL);
  EXPECT_EQ(Names(dest), (Strings{".Copy02.orvessa-new", "Copy01"}));

  Result r = Run({job});
  EXPECT_EQ(r.status, 0) << r;
  EXPECT_EQ(Names(dest), (Strings{"Copy01", "Copy02", "daily.cop"}));
  EXPECT_EQ(fs::file_size(dest + "/Copy02/Docs/big.bin"), 768u << 20);
  fs::remove(src + "/Docs/big.bin");
}

// What `cp -a` keeps, the run keeps: compared with cp's own copy of the same tree.
TEST_F(OrvessaRun, CopiesKeepWhatCpAKeeps) {
  const std::string tree = src + "/Tree";
  WriteText(tree + "/sub/a.txt", "a");
  ASSERT_TRUE(Shell("cd '" + tree +
                    "' && truncate -s 64M sparse && echo end >> sparse && "
                    "ln sub/a.txt hard && chmod 4755 sub/a.txt && mkdir -m 1777 sticky && "
                    "mkdir -m 2750 setgid && ln -s sub/a.txt link && ln -s /nowhere dangling && "
                    "mkfifo fifo && touch -h -d 2001-01-01 link && "
                    "touch -d '2002-02-02 02:02:02.5' sub/a.txt sub sticky setgid ."));
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown((tree + "/setgid").c_str(), 1234, 5678), 0);
  }
  Shell("setfattr -n user.tag -v v '" + tree + "/sub/a.txt'");
  ASSERT_TRUE(Shell("cp -a '" + tree + "' '" + root + "/cp'"));

  Result r = Run({Job("daily.cop", JobBytes(dest, true, 2, {tree + "/*"}))});
  ASSERT_EQ(r.status, 0) << r;
  const std::string copy = dest + "/Copy01/Tree";
  EXPECT_EQ(Listing(copy), Listing(root + "/cp"));
  struct stat sparse {};
  ::stat((copy + "/sparse").c_str(), &sparse);
  EXPECT_LT(sparse.st_blocks * 512, 1 << 20);
  EXPECT_EQ(ReadText(copy + "/sparse").substr(64 << 20), "end\n");
  EXPECT_TRUE(Shell("getfattr -n user.tag '" + copy + "/sub/a.txt'") ||
              !Shell("getfattr -n user.tag '" + tree + "/sub/a.txt'"));
}

// Under a terminal the progress line is redrawn in place; in a log nothing is drawn.
TEST_F(OrvessaRun, ProgressIsRedrawnOnATerminalOnlyAndNeverWhenQuiet) {
  WriteText(src + "/Docs/a.txt", "alpha");
  const std::string job = Job("daily.cop", JobBytes(dest, false, 0, {src + "/Docs/*"}));
  auto on_terminal = [&](const std::string& option) {
    const std::string typescript = root + "/typescript";
    EXPECT_TRUE(Shell("env -i PATH=/usr/bin:/bin LANG=C.UTF-8 HOME='" + home +
                      "' XDG_CONFIG_HOME='" + config + "' XDG_DATA_HOME='" + data +
                      "' XDG_RUNTIME_DIR='" + runtime + "' script -qec \"'" + kProgram + "' " +
                      option + " '" + job + "'\" '" + typescript + "' </dev/null"));
    return ReadText(typescript);
  };
  const std::string drawn = on_terminal("");
  const auto line = drawn.find("\r0.0 MB of 0.0 MB");
  ASSERT_NE(line, std::string::npos) << drawn;
  EXPECT_NE(drawn.find("1 files", line), std::string::npos) << drawn;
  EXPECT_NE(drawn.find("\r\033[K", line), std::string::npos) << "cleared: " << drawn;
  EXPECT_FALSE(Has(on_terminal("--quiet"), " MB of "));

  Result logged = Run({job});
  EXPECT_EQ(logged.status, 0) << logged;
  EXPECT_FALSE(Has(logged.out, "\r")) << logged;
}

// Getting files back: the copies are listed, searched and restored from, and never change.
TEST_F(OrvessaRun, CopiesAreListedSearchedAndRestoredWithoutChangingThem) {
  WriteText(src + "/Docs/a.txt", "one");
  WriteText(src + "/Docs/b.txt", "bee");
  const std::string job = Job("keep.cop", JobBytes(dest, true, 0, {src + "/Docs/*"}));
  for (const char* next : {"two", "three"}) {
    ASSERT_EQ(Run({"--quiet", job}).status, 0);
    WriteText(src + "/Docs/a.txt", next);
  }
  fs::remove(src + "/Docs/b.txt");
  Result r = Run({"--list-copies", job});
  EXPECT_EQ(r.status, 0) << r;
  EXPECT_TRUE(r.out.starts_with("Copy02\t") && Has(r.out, "\tcomplete\nCopy01\t") &&
              r.out.ends_with("\tcomplete\n"))
      << r;
  r = Run({"--versions", job, src + "/Docs/a.txt"});
  EXPECT_TRUE(r.status == 0 && Has(r.out, "Copy02\t") && Has(r.out, "\t3\tchanged\t")) << r;
  r = Run({"--deleted", job});
  EXPECT_EQ(r.out, "Copy02\t" + src + "/Docs/b.txt\n") << r;
  r = Run({"--search", job, "B.T"});
  EXPECT_EQ(r.out, "Copy02\t" + src + "/Docs/b.txt\nCopy01\t" + src + "/Docs/b.txt\n") << r;

  const std::string before = Listing(dest);
  r = Run({"--restore", job, "--copy", "Copy01", src + "/Docs/a.txt"});
  EXPECT_EQ(r.status, 0) << r;
  char today[16];
  const std::time_t now = std::time(nullptr);
  std::strftime(today, sizeof today, "%Y-%m-%d", std::localtime(&now));
  EXPECT_EQ(ReadText(src + "/Docs/a (restored " + today + ").txt"), "one");
  EXPECT_EQ(ReadText(src + "/Docs/a.txt"), "three");
  r = Run({"--restore", job, "--copy", "Copy01", src + "/Docs", "--to", root + "/out"});
  EXPECT_EQ(r.status, 0) << r;
  EXPECT_EQ(ReadText(root + "/out/Docs/b.txt"), "bee");
  // Refused before anything is written: the status, the arguments.
  const std::vector<std::pair<int, Strings>> refused = {
      {2, {"--restore", job, "--copy", "Copy09", src + "/Docs/a.txt"}},
      {2, {"--restore", job, "--copy", "Copy01", src + "/elsewhere"}},
      {2, {"--versions", job, src + "/Docs/none.txt"}},
      {64, {"--restore", job, src + "/Docs"}},
      {64, {"--list-copies", job, "--replace"}},
      {64, {"--versions", job}},
      {64, {"--search", "--power-off", job, "a"}}};
  for (const auto& [status, args] : refused) {
    r = Run(args);
    EXPECT_EQ(r.status, status) << args[0] << " " << r;
  }
  EXPECT_EQ(Listing(dest), before);
}

}  // namespace
}  // namespace orvessa
