// Runs the built orvessa-run as a user would: a home, settings and program folder of its
// own per test, job files written byte by byte, and only what a user can see is checked.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/support/child_process.hpp"
#include "tests/support/file_helpers.hpp"

#ifndef ORVESSA_RUN_PATH
#error "ORVESSA_RUN_PATH must name the orvessa-run binary"
#endif

namespace orvessa {
namespace {

using testing::Names;
using testing::ReadText;
using testing::WriteText;
namespace fs = std::filesystem;
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

std::vector<char*> Pointers(Strings& texts) {
  std::vector<char*> pointers;
  for (auto& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
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
    for (const auto& folder : {home, config, data, runtime, jobs, src, dest}) {
      fs::create_directories(folder);
    }
    SetMode(runtime, 0700);
  }

  // Starts the program with an environment of its own, an empty standard input and its
  // outputs in files; CTest's time limit catches a program that hangs.
  Result Run(Strings args, std::optional<testing::User> as = {}) const {
    args.insert(args.begin(), kProgram);
    Strings env = {
        "PATH=/usr/local/bin:/usr/bin:/bin", "LANG=C.UTF-8",          "HOME=" + home,
        "XDG_CONFIG_HOME=" + config,         "XDG_DATA_HOME=" + data, "XDG_RUNTIME_DIR=" + runtime,
        "QT_QPA_PLATFORM=offscreen"};
    // A sanitizer build reports through these.
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
      if (const char* value = std::getenv(name)) env.push_back(std::string(name) + "=" + value);
    }
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
          ::execve(kProgram, Pointers(args).data(), Pointers(env).data());
          return 127;
        },
        as);
    for (int fd : fds) ::close(fd);
    result.out = ReadText(out);
    result.err = ReadText(err);
    return result;
  }

  std::string Job(const std::string& name, const std::string& bytes) const {
    WriteText(jobs + "/" + name, bytes);
    return jobs + "/" + name;
  }

  testing::TempFolder tmp;
  const std::string root = tmp.path().string();
  const std::string home = root + "/home", config = root + "/config", data = root + "/data",
                    runtime = root + "/run", jobs = root + "/jobs", src = root + "/src",
                    dest = root + "/backup", program = data + "/Orvessa";
};

TEST_F(OrvessaRun, HelpExits0BadUsage64AndAJobFileMissingOrAFolder66WithoutRunning) {
  for (std::string flag : {"--help", "-h"}) {
    Result r = Run({flag});
    EXPECT_EQ(r.status, 0) << r;
    EXPECT_EQ(r.err, "") << r;
    EXPECT_TRUE(r.out.find("64") != std::string::npos && r.out.find("66") != std::string::npos)
        << "the exit statuses are named\n"
        << r;
  }
  WriteText(src + "/notes.txt", "notes");
  const std::string job = Job("daily.cop", JobBytes(dest, false, 0, {src + "/notes.txt"}));
  for (const Strings& args : std::vector<Strings>{
           {}, {"--frobnicate", job}, {"-x", job}, {job, job}, {"--power-off", job, job}}) {
    Result r = Run(args);
    EXPECT_EQ(r.status, 64) << r;
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(r.err.starts_with("Orvessa: ") &&
                r.err.find("\nusage: orvessa-run ") != std::string::npos)
        << r;
  }
  for (const Strings& args :
       std::vector<Strings>{{jobs + "/none.cop"}, {jobs}, {"--power-off", jobs + "/none.cop"}}) {
    Result r = Run(args);
    EXPECT_EQ(r.status, 66) << r;
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(r.err.starts_with("Orvessa: ") && r.err.find(args.back()) != std::string::npos)
        << r;
  }
  EXPECT_TRUE(Names(dest).empty()) << "nothing may start a run";
  EXPECT_TRUE(Names(data).empty());
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
  // Each source as its copy starts, then the last line with the date and time.
  const std::string lines = src + "/Docs/*\n" + euro_file + "\nFinished Backup ";
  EXPECT_TRUE(r.out.starts_with(lines) && r.out.ends_with("\n")) << r;
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3) << r;
  EXPECT_NE(r.out.find_first_of("0123456789", lines.size()), std::string::npos) << r;
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

// A job file read at run time keeps at least one prior copy, whatever it says.
TEST_F(OrvessaRun, KeepModeKeepsAPriorCopyEvenWhenTheJobSaysNone) {
  WriteText(dest + "/Copy of report/r.txt", "mine");
  const std::string job = Job("daily.cop", JobBytes(dest, true, 0, {src + "/notes.txt"}));
  for (int run = 1; run <= 3; ++run) {
    WriteText(src + "/notes.txt", "run " + std::to_string(run));
    Result r = Run({job});
    ASSERT_EQ(r.status, 0) << r;
    EXPECT_TRUE(r.out.starts_with(src + "/notes.txt\nFinished Backup ")) << r;
  }
  EXPECT_EQ(Names(dest), (Strings{"Copy of report", "Copy02", "Copy03", "daily.cop"}));
  EXPECT_EQ(ReadText(dest + "/Copy03/notes.txt"), "run 3");
}

TEST_F(OrvessaRun, NoSourcesStopsWithTheMessageInTheChosenLanguage) {
  const std::string job = Job("daily.cop", JobBytes(dest, false, 0, {}));
  const std::map<int, std::string> message = {
      {0, "You have not chose either source folder or file to copy. "},  // no settings
      {100, "No ha elegido ninguna carpeta o archivo de origen para copiar"},
      {328, "Sie haben die zu kopierenden Dateien oder Verzeichnis noch nicht gewählt."},
      {442, "Vous devez choisir au moins un dossier ou un fichier à copier. "},
  };
  for (const auto& [language, text] : message) {
    if (language != 0) {
      WriteText(config + "/Orvessa/Orvessa.conf",
                "[Language]\nLanguage=" + std::to_string(language) + "\n");
    }
    Result r = Run({job});
    EXPECT_EQ(r.status, 2) << r;
    EXPECT_EQ(r.err, "Orvessa: " + text + "\n") << language;
  }
  EXPECT_TRUE(Names(dest).empty());
}

TEST_F(OrvessaRun, WhatTheUserMayNotReadEndsInAnErrorOrIsRefused) {
  std::optional<testing::User> as;
  if (::geteuid() == 0) {
    as = testing::Nobody();
    if (!as) GTEST_SKIP() << "running as root and there is no user nobody to run as";
  }
  WriteText(src + "/secret.txt", "secret");
  WriteText(src + "/open.txt", "open");
  const std::string job =
      Job("daily.cop", JobBytes(dest, false, 0, {src + "/secret.txt", src + "/open.txt"}));
  const std::string locked_job = Job("locked.cop", ReadText(job));
  if (as) {
    SetMode(root, 0755);
    ASSERT_EQ(::chown(root.c_str(), as->uid, as->gid), 0);
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
      ASSERT_EQ(::lchown(entry.path().c_str(), as->uid, as->gid), 0) << entry.path();
    }
    // The binary sits in the build tree, which that user may not be able to reach.
    if (testing::InChild([] { return ::access(kProgram, X_OK); }, as) != 0) {
      GTEST_SKIP() << "user nobody cannot run " << kProgram;
    }
  }
  SetMode(src + "/secret.txt", 0);
  SetMode(locked_job, 0);

  Result r = Run({job}, as);
  EXPECT_EQ(r.status, 1) << r;
  EXPECT_TRUE(r.out.starts_with(src + "/secret.txt\nBackup Error ")) << r;
  Result refused = Run({locked_job}, as);
  EXPECT_EQ(refused.status, 66) << refused;
  EXPECT_TRUE(refused.err.starts_with("Orvessa: ") &&
              refused.err.find(locked_job) != std::string::npos)
      << refused;
}

}  // namespace
}  // namespace orvessa
