// Runs the built orvessa-run as a user would: a home, settings and program folder of its
// own per test, job files written byte by byte, and only what a user can see is checked.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/file_helpers.hpp"

#ifndef ORVESSA_RUN_PATH
#error "ORVESSA_RUN_PATH must name the orvessa-run binary"
#endif

namespace orvessa {
namespace {

using testing::Exists;
using testing::Names;
using testing::ReadText;
using testing::WriteText;
namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

constexpr const char* kProgram = ORVESSA_RUN_PATH;
constexpr auto kRunLimit = std::chrono::seconds(120);
const std::string kDocuments =
    "\xD0\x94\xD0\xBE\xD0\xBA\xD1\x83\xD0\xBC\xD0\xB5\xD0\xBD\xD1\x82\xD1\x8B";  // "Документы"

struct Identity {
  uid_t uid;
  gid_t gid;
};

Strings SplitLines(const std::string& text) {
  Strings lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

bool Contains(const Strings& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool AnyStartsWith(const Strings& lines, const std::string& prefix) {
  return std::any_of(lines.begin(), lines.end(),
                     [&](const std::string& l) { return l.starts_with(prefix); });
}

struct Result {
  int status = -1;  // the exit status, 128 + the signal for a killed program
  std::string out, err;
  Strings OutLines() const { return SplitLines(out); }
  Strings ErrLines() const { return SplitLines(err); }
};

std::ostream& operator<<(std::ostream& os, const Result& r) {
  return os << "exit " << r.status << "\n--- stdout\n" << r.out << "--- stderr\n" << r.err;
}

// Drops to `as` in a forked child; false when the system refuses.
bool BecomeUser(const Identity& as) {
  return ::setgroups(0, nullptr) == 0 && ::setgid(as.gid) == 0 && ::setuid(as.uid) == 0;
}

std::vector<char*> Pointers(Strings& texts) {
  std::vector<char*> pointers;
  for (auto& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

// Starts the program with exactly `env`, no terminal and an empty standard input, and
// collects both outputs until it ends.
Result Launch(Strings args, Strings env, std::optional<Identity> as = {}) {
  args.insert(args.begin(), kProgram);
  std::vector<char*> argv = Pointers(args);
  std::vector<char*> envp = Pointers(env);
  int out[2], err[2];
  if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) {
    throw std::runtime_error("pipe failed");
  }
  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    const int null = ::open("/dev/null", O_RDONLY);
    if (null < 0 || ::dup2(null, 0) < 0 || ::dup2(out[1], 1) < 0 || ::dup2(err[1], 2) < 0) {
      ::_exit(126);
    }
    if (as && !BecomeUser(*as)) ::_exit(126);
    ::execve(kProgram, argv.data(), envp.data());
    ::_exit(127);
  }
  ::close(out[1]);
  ::close(err[1]);

  Result result;
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open_pipes = 2;
  const auto deadline = std::chrono::steady_clock::now() + kRunLimit;
  while (open_pipes > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      ::kill(pid, SIGKILL);
      ADD_FAILURE() << "orvessa-run did not end within " << kRunLimit.count() << " s";
      break;
    }
    if (::poll(fds, 2, static_cast<int>(left.count())) < 0 && errno != EINTR) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      char buffer[4096];
      const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        --open_pipes;
      }
    }
  }
  for (const auto& fd : fds) {
    if (fd.fd >= 0) ::close(fd.fd);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

// Every path below `folder` with the file's bytes, "<folder>" for folders.
std::map<std::string, std::string> Tree(const std::string& folder) {
  std::map<std::string, std::string> tree;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string relative = fs::relative(entry.path(), folder).string();
    tree[relative] = entry.is_directory() ? "<folder>" : ReadText(entry.path().string());
  }
  return tree;
}

std::string Crlf(const Strings& lines) {
  std::string bytes;
  for (const auto& line : lines) bytes += line + "\r\n";
  return bytes;
}

std::string Integer(int value) { return (value < 0 ? "" : " ") + std::to_string(value) + " "; }

// A manual job: lines 1 to 16, the entries and the closing empty line.
std::string JobBytes(const std::string& destination, bool keep_copies, int copies_to_keep,
                     const Strings& entries) {
  return Crlf({"10:00:00", "01/12/2026", destination, keep_copies ? "Falso" : "Verdadero",
               keep_copies ? "Verdadero" : "Falso", Integer(copies_to_keep), "Verdadero", "Falso",
               "Falso", Integer(1), "", Integer(21), Integer(30), Integer(0), Integer(0),
               Integer(static_cast<int>(entries.size()))}) +
         Crlf(entries) + "\r\n";
}

void SetMode(const std::string& path, mode_t mode) { ASSERT_EQ(::chmod(path.c_str(), mode), 0); }

class OrvessaRun : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "orvessa-e2e-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root = pattern;
    home = root + "/home";
    config = root + "/config";
    data = root + "/data";
    runtime = root + "/run";
    jobs = root + "/jobs";
    src = root + "/src";
    dest = root + "/backup";
    program = data + "/Orvessa";
    for (const auto& folder : {home, config, data, runtime, jobs, src, dest}) {
      fs::create_directories(folder);
    }
    SetMode(runtime, 0700);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }

  Strings Env() const {
    Strings env = {
        "PATH=/usr/local/bin:/usr/bin:/bin", "LANG=C.UTF-8",          "HOME=" + home,
        "XDG_CONFIG_HOME=" + config,         "XDG_DATA_HOME=" + data, "XDG_RUNTIME_DIR=" + runtime,
        "QT_QPA_PLATFORM=offscreen"};
    // A sanitizer build reports through these.
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
      if (const char* value = std::getenv(name)) env.push_back(std::string(name) + "=" + value);
    }
    return env;
  }

  Result Run(const Strings& args, std::optional<Identity> as = {}) const {
    return Launch(args, Env(), as);
  }

  std::string Job(const std::string& name, const std::string& bytes) const {
    WriteText(jobs + "/" + name, bytes);
    return jobs + "/" + name;
  }

  void SetLanguage(int id) const {
    WriteText(config + "/Orvessa/Orvessa.conf",
              "[Language]\nLanguage=" + std::to_string(id) + "\n");
  }

  std::string root, home, config, data, runtime, jobs, src, dest, program;
};

TEST_F(OrvessaRun, HelpExitsZeroAndBadUsageExits64WithoutRunning) {
  for (std::string flag : {"--help", "-h"}) {
    Result r = Run({flag});
    EXPECT_EQ(r.status, 0) << r;
    EXPECT_EQ(r.err, "") << flag;
    for (std::string status : {"64", "66"}) {
      EXPECT_NE(r.out.find(status), std::string::npos) << flag << " names exit status " << status;
    }
  }

  WriteText(src + "/notes.txt", "notes");
  const std::string job = Job("daily.cop", JobBytes(dest, false, 0, {src + "/notes.txt"}));
  for (const Strings& args : std::vector<Strings>{
           {}, {"--frobnicate", job}, {"-x", job}, {job, job}, {"--power-off", job, job}}) {
    Result r = Run(args);
    EXPECT_EQ(r.status, 64) << r;
    EXPECT_EQ(r.out, "");
    Strings err = r.ErrLines();
    ASSERT_GE(err.size(), 2u) << r;
    EXPECT_TRUE(err[0].starts_with("Orvessa: ")) << r;
    EXPECT_TRUE(std::any_of(err.begin(), err.end(),
                            [](const std::string& l) {
                              return l.find("sage") != std::string::npos &&
                                     l.find("orvessa-run") != std::string::npos;
                            }))
        << "a usage line\n"
        << r;
  }
  EXPECT_TRUE(Names(dest).empty()) << "bad usage must not start a run";
  EXPECT_FALSE(Exists(program + "/daily.cop"));
}

TEST_F(OrvessaRun, AJobFileThatIsMissingOrAFolderExits66NamingIt) {
  for (const Strings& args :
       std::vector<Strings>{{jobs + "/none.cop"}, {jobs}, {"--power-off", jobs + "/none.cop"}}) {
    Result r = Run(args);
    EXPECT_EQ(r.status, 66) << r;
    EXPECT_EQ(r.out, "");
    Strings err = r.ErrLines();
    ASSERT_FALSE(err.empty()) << r;
    EXPECT_TRUE(err[0].starts_with("Orvessa: ")) << r;
    EXPECT_NE(err[0].find(args.back()), std::string::npos) << r;
  }
}

TEST_F(OrvessaRun, OverwriteRunCopiesAFolderAndAFileAndRecordsTheRun) {
  const std::string euro_file = src + "/notas \xE2\x82\xAC.txt";  // UTF-8 on disk
  WriteText(src + "/Docs/a.txt", "alpha");
  WriteText(src + "/Docs/sub/b.txt", "beta");
  WriteText(euro_file, "notes");
  WriteText(dest + "/unrelated.txt", "left alone");
  SetMode(src + "/Docs/a.txt", 0604);
  const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, (src + "/Docs/sub/b.txt").c_str(), old, 0), 0);
  // The job file is Windows-1252: the euro sign is the single byte 0x80.
  const std::string job =
      Job("daily.cop", JobBytes(dest, false, 0, {src + "/Docs/*", src + "/notas \x80.txt"}));

  Result r = Run({job});
  ASSERT_EQ(r.status, 0) << r;
  EXPECT_EQ(r.err, "") << "no terminal, so no progress bar and nothing else";
  Strings out = r.OutLines();
  ASSERT_EQ(out.size(), 3u) << r;
  EXPECT_EQ(out[0], src + "/Docs/*");
  EXPECT_EQ(out[1], euro_file);
  EXPECT_TRUE(out[2].starts_with("Finished Backup ")) << out[2];
  EXPECT_NE(out[2].find_first_of("0123456789", 16), std::string::npos) << "date and time";

  EXPECT_EQ(Names(dest), (Strings{"Docs", "daily.cop", "notas \xE2\x82\xAC.txt", "unrelated.txt"}));
  EXPECT_EQ(Tree(dest + "/Docs"), Tree(src + "/Docs"));
  EXPECT_EQ(ReadText(dest + "/notas \xE2\x82\xAC.txt"), "notes");
  EXPECT_EQ(ReadText(dest + "/unrelated.txt"), "left alone");
  struct stat st {};
  ASSERT_EQ(::stat((dest + "/Docs/a.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0604u);
  ASSERT_EQ(::stat((dest + "/Docs/sub/b.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);

  EXPECT_EQ(Names(program), (Strings{"daily.cop", "ultima.ovs"}));
  EXPECT_EQ(ReadText(program + "/ultima.ovs"), program + "/daily.cop\r\n");
  const std::string saved = ReadText(program + "/daily.cop");
  EXPECT_EQ(ReadText(dest + "/daily.cop"), saved);
  EXPECT_NE(saved.find("\r\n 2 \r\n" + src + "/Docs/*\r\n" + src + "/notas \x80.txt\r\n\r\n"),
            std::string::npos)
      << "the saved job keeps its entries in the code page:\n"
      << saved;
}

TEST_F(OrvessaRun, SecondOverwriteRunReplacesTheCopyWhole) {
  const std::string folder = src + "/" + kDocuments;
  WriteText(folder + "/a.txt", "alpha");
  WriteText(folder + "/sub/b.txt", "beta");
  WriteText(folder + "/.profile", "hidden by name only");
  // Not representable in the code page, so the job file is UTF-8 with a byte order mark.
  const std::string job =
      Job("weekly.cop", "\xEF\xBB\xBF" + JobBytes(dest, false, 0, {folder + "/*"}));

  Result first = Run({job});
  ASSERT_EQ(first.status, 0) << first;
  ASSERT_EQ(Tree(dest + "/" + kDocuments), Tree(folder));

  fs::remove_all(folder + "/sub");
  WriteText(folder + "/a.txt", "alpha, second version");
  WriteText(folder + "/c.txt", "gamma");
  Result second = Run({job});
  ASSERT_EQ(second.status, 0) << second;
  EXPECT_EQ(second.OutLines().front(), folder + "/*");
  EXPECT_TRUE(second.OutLines().back().starts_with("Finished Backup ")) << second;

  // Exactly the source: the deleted folder is gone and no temporary name is left behind.
  EXPECT_EQ(Tree(dest + "/" + kDocuments), Tree(folder));
  EXPECT_EQ(Names(dest), (Strings{"weekly.cop", kDocuments}));
  const std::string saved = ReadText(program + "/weekly.cop");
  EXPECT_TRUE(saved.starts_with("\xEF\xBB\xBF")) << saved;
  EXPECT_NE(saved.find("\r\n" + folder + "/*\r\n"), std::string::npos) << saved;
  EXPECT_EQ(ReadText(program + "/ultima.ovs"), program + "/weekly.cop\r\n");
}

TEST_F(OrvessaRun, KeepModeKeepsTwoPriorCopiesAndNumbersOn) {
  WriteText(dest + "/Copy of report/r.txt", "mine");
  const std::string job = Job("daily.cop", JobBytes(dest, true, 2, {src + "/notes.txt"}));
  const std::vector<Strings> expected = {
      {"Copy of report", "Copy01", "daily.cop"},
      {"Copy of report", "Copy01", "Copy02", "daily.cop"},
      {"Copy of report", "Copy01", "Copy02", "Copy03", "daily.cop"},
      {"Copy of report", "Copy02", "Copy03", "Copy04", "daily.cop"},  // the oldest goes
  };
  for (std::size_t run = 1; run <= expected.size(); ++run) {
    WriteText(src + "/notes.txt", "run " + std::to_string(run));
    Result r = Run({job});
    ASSERT_EQ(r.status, 0) << r;
    ASSERT_EQ(r.OutLines().size(), 2u) << r;
    EXPECT_EQ(r.OutLines()[0], src + "/notes.txt");
    EXPECT_EQ(Names(dest), expected[run - 1]) << "after run " << run;
  }
  for (int run = 2; run <= 4; ++run) {
    EXPECT_EQ(ReadText(dest + "/Copy0" + std::to_string(run) + "/notes.txt"),
              "run " + std::to_string(run));
  }
  EXPECT_EQ(ReadText(dest + "/Copy of report/r.txt"), "mine");

  // A job file read at run time keeps at least one prior copy, whatever it says.
  const std::string zero_dest = root + "/zero";
  fs::create_directories(zero_dest);
  const std::string zero = Job("zero.cop", JobBytes(zero_dest, true, 0, {src + "/notes.txt"}));
  for (int run = 0; run < 3; ++run) ASSERT_EQ(Run({zero}).status, 0);
  EXPECT_EQ(Names(zero_dest), (Strings{"Copy02", "Copy03", "zero.cop"}));
}

TEST_F(OrvessaRun, NoSourcesStopsWithTheMessageInTheChosenLanguage) {
  const std::string job = Job("daily.cop", JobBytes(dest, false, 0, {}));
  const std::map<int, std::string> message = {
      {0, "You have not chose either source folder or file to copy. "},  // no settings
      {100, "No ha elegido ninguna carpeta o archivo de origen para copiar"},
      {328, "Sie haben die zu kopierenden Dateien oder Verzeichnis noch nicht gew\xC3\xA4hlt."},
      {442, "Vous devez choisir au moins un dossier ou un fichier \xC3\xA0 copier. "},
  };
  for (const auto& [language, text] : message) {
    if (language != 0) SetLanguage(language);
    Result r = Run({job});
    EXPECT_EQ(r.status, 2) << r;
    EXPECT_EQ(r.ErrLines(), Strings{"Orvessa: " + text}) << language;
    EXPECT_FALSE(AnyStartsWith(r.OutLines(), "Finished Backup ")) << r;
    EXPECT_FALSE(AnyStartsWith(r.OutLines(), "Sicherung abgeschlossen")) << r;
  }
  EXPECT_TRUE(Names(dest).empty());
  EXPECT_FALSE(Exists(program + "/daily.cop")) << "a stopped run is not recorded";
}

TEST_F(OrvessaRun, MissingDestinationStopsAndCreatesNothing) {
  WriteText(src + "/notes.txt", "notes");
  const std::string unplugged = root + "/unplugged";
  const std::string job = Job("daily.cop", JobBytes(unplugged, false, 0, {src + "/notes.txt"}));

  Result r = Run({job});
  EXPECT_EQ(r.status, 2) << r;
  Strings err = r.ErrLines();
  ASSERT_FALSE(err.empty()) << r;
  EXPECT_EQ(err[0], "Orvessa: Destination drive is not ready.");
  EXPECT_FALSE(AnyStartsWith(r.OutLines(), "Finished Backup ")) << r;
  EXPECT_FALSE(Exists(unplugged));
  EXPECT_FALSE(Exists(program + "/daily.cop"));
}

TEST_F(OrvessaRun, WhatTheUserMayNotReadEndsInAnErrorOrIsRefused) {
  std::optional<Identity> as;
  if (::geteuid() == 0) {
    const passwd* nobody = ::getpwnam("nobody");
    if (!nobody) GTEST_SKIP() << "running as root and there is no user nobody to run as";
    as = Identity{nobody->pw_uid, nobody->pw_gid};
  }
  WriteText(src + "/secret.txt", "secret");
  WriteText(src + "/open.txt", "open");
  const std::string job =
      Job("daily.cop", JobBytes(dest, false, 0, {src + "/secret.txt", src + "/open.txt"}));
  const std::string locked_job = Job("locked.cop", ReadText(job));
  if (as) {
    SetMode(root, 0755);
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
      ASSERT_EQ(::lchown(entry.path().c_str(), as->uid, as->gid), 0) << entry.path();
    }
    ASSERT_EQ(::chown(root.c_str(), as->uid, as->gid), 0);
    // The binary sits in the build tree, which that user may not be able to reach.
    const pid_t probe = ::fork();
    if (probe == 0) ::_exit(BecomeUser(*as) && ::access(kProgram, X_OK) == 0 ? 0 : 1);
    int status = 0;
    ::waitpid(probe, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      GTEST_SKIP() << "user nobody cannot run " << kProgram;
    }
  }
  SetMode(src + "/secret.txt", 0);
  SetMode(locked_job, 0);

  Result r = Run({job}, as);
  EXPECT_EQ(r.status, 1) << r;
  EXPECT_TRUE(Contains(r.ErrLines(),
                       "Orvessa: The folder or file can not be copied, the system "
                       "denies the permission."))
      << r;
  Strings out = r.OutLines();
  ASSERT_FALSE(out.empty()) << r;
  EXPECT_EQ(out.front(), src + "/secret.txt");
  EXPECT_TRUE(out.back().starts_with("Backup Error ")) << r;
  EXPECT_FALSE(AnyStartsWith(out, "Finished Backup ")) << r;
  EXPECT_FALSE(Exists(program + "/ultima.ovs")) << "only a normal end is recorded as the last";

  Result refused = Run({locked_job}, as);
  EXPECT_EQ(refused.status, 66) << refused;
  ASSERT_FALSE(refused.ErrLines().empty()) << refused;
  EXPECT_TRUE(refused.ErrLines()[0].starts_with("Orvessa: ")) << refused;
  EXPECT_NE(refused.ErrLines()[0].find(locked_job), std::string::npos) << refused;
}

}  // namespace
}  // namespace orvessa
