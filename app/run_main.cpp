// orvessa-run: performs the backup of a job file without the window, for cron jobs,
// systemd timers and scripts.
#include <unistd.h>

#include <csignal>

#include <QCoreApplication>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <stop_token>
#include <string>
#include <thread>

#include "app/program_folders.hpp"
#include "app/restore_commands.hpp"
#include "app/terminal_run_view.hpp"
#include "core/backup_run.hpp"
#include "core/job_file_check.hpp"
#include "core/job_file_format.hpp"
#include "core/job_file_reader.hpp"
#include "core/power_off.hpp"
#include "core/run_options.hpp"
#include "core/run_records.hpp"
#include "core/space_accounting.hpp"
#include "i18n/string_table.hpp"
#include "platform/linux/logind_power.hpp"
#include "platform/linux/posix_file_system.hpp"
#include "platform/linux/qt_locale.hpp"
#include "platform/linux/qt_settings_store.hpp"
#include "platform/linux/serve_events.hpp"
#include "platform/linux/steady_monotonic.hpp"
#include "platform/linux/system_clock.hpp"

namespace orvessa {
namespace {

constexpr int kExitNormal = 0;
constexpr int kExitError = 1;
constexpr int kExitStopped = 2;
constexpr int kExitUsage = 64;
constexpr int kExitDataError = 65;
constexpr int kExitNoInput = 66;
constexpr int kExitSignalBase = 128;

constexpr const char* kUsage =
    "usage: orvessa-run [--power-off] [--verify-all] [--share|--no-share] [--quiet] JOBFILE\n"
    "       orvessa-run --list-copies JOBFILE\n"
    "       orvessa-run --versions JOBFILE PATH\n"
    "       orvessa-run --search JOBFILE TEXT\n"
    "       orvessa-run --deleted JOBFILE [--copy NAME]\n"
    "       orvessa-run --restore JOBFILE --copy NAME PATH... [--to DIR] [--replace]\n";

constexpr const char* kHelp =
    "usage: orvessa-run [--power-off] [--verify-all] [--share|--no-share] [--quiet] JOBFILE\n"
    "       orvessa-run --list-copies JOBFILE\n"
    "       orvessa-run --versions JOBFILE PATH\n"
    "       orvessa-run --search JOBFILE TEXT\n"
    "       orvessa-run --deleted JOBFILE [--copy NAME]\n"
    "       orvessa-run --restore JOBFILE --copy NAME PATH... [--to DIR] [--replace]\n"
    "\n"
    "Runs the backup the job file JOBFILE describes, as \"Run Manually Now\" in the\n"
    "window does: every source is copied into the destination, over the previous copy\n"
    "or into a new numbered folder Copy01..Copy99, as the job says. The job file is\n"
    "saved with the time of the run into the destination and into the program folder\n"
    "($XDG_DATA_HOME/Orvessa), which also receives the record of the last copy.\n"
    "\n"
    "  --power-off   power the computer off after a backup that ended normally\n"
    "  --verify-all  compare every file of the new copy with its source, not a sample\n"
    "  --share       share unchanged files with the prior copy (hard links)\n"
    "  --no-share    copy every file again; without either, the program's setting\n"
    "                (Options menu) decides, sharing unless it was turned off\n"
    "  --quiet       no progress output\n"
    "  -h, --help    show this text\n"
    "\n"
    "A file whose size, modification time, mode and owner equal those of the same file\n"
    "in the prior copy (the newest CopyNN, or in overwrite mode the copy being replaced)\n"
    "becomes a further name (hard link) of that file instead of being copied again:\n"
    "every copy stays a complete folder tree and deleting one never affects the others.\n"
    "A destination that cannot hold hard links (FAT, exFAT, some network shares) gets\n"
    "copies. A change of mode, owner or time alone gives the file a fresh copy.\n"
    "\n"
    "Once everything is copied, the destination's file system is synced (syncfs), so\n"
    "the new copy is on the disk before it gets its name or replaces the previous\n"
    "copy; the folders whose names changed are synced in turn before any older copy\n"
    "is deleted. A sync that fails ends the run with an error and keeps every prior\n"
    "copy. Then files of the new copy are compared byte for byte with their sources,\n"
    "the copy read from the disk itself (its cached pages dropped first): all up to\n"
    "200 files, else a random 1%, at least 200, shared files included, and at most\n"
    "64 MiB or 2% of the bytes written, whichever is more, a large file compared in a\n"
    "few random parts and its end. A check file written into the copy is read back\n"
    "from the disk and removed. --verify-all compares every file whole. A copy that\n"
    "differs makes the run end with an error and is named in the summary, and no\n"
    "prior copy is deleted for it; a source that changed after it was copied is\n"
    "listed apart and is no error.\n"
    "\n"
    "A destination that was a file system of its own (a mount point) at the last run\n"
    "that reached it, or that /etc/fstab or a mount unit names as one, is not ready\n"
    "while that file system is not mounted: its bare folder on the disk above is never\n"
    "filled. Another disk mounted there is fine. What was found is kept in\n"
    "$XDG_STATE_HOME/Orvessa/destination-disks (~/.local/state by default).\n"
    "\n"
    "Each source is printed as its copy starts, then the final line of the run and a\n"
    "summary: files and bytes copied, the time taken and the first 20 files or folders\n"
    "that could not be copied, each with the reason. One file that cannot be copied (a\n"
    "name the destination cannot hold, a file too big for it, a file the system will\n"
    "not let be read, a file that vanished) does not stop the others, but the run then\n"
    "ends with an error. Such a file or folder is taken over from the newest older\n"
    "copy that has it (a hard link where the destination takes links), so the new\n"
    "copy is never poorer than the last; a list of what was taken over or is missing\n"
    "lies at the top of the copy in .orvessa-missing.txt (one original path, a tab and\n"
    "the reason a line), and the newest copy that missed nothing is never rotated\n"
    "away for such a copy. In keep-prior-copies mode the new CopyNN folder is built\n"
    "under a temporary name and numbered only when complete; older copies are deleted\n"
    "only after that, so a stopped run, a full disk or a read-only destination leaves\n"
    "every prior copy as it was. A destination folder that does not exist is never\n"
    "created.\n"
    "\n"
    "Messages go to standard error as \"Orvessa: <text>\", in the language chosen in the\n"
    "program ($XDG_CONFIG_HOME/Orvessa/Orvessa.conf), English unless one was chosen.\n"
    "On a terminal a progress line on standard output is redrawn a few times a second\n"
    "(bytes done of the total, rate, files, the file being copied, time left) and\n"
    "cleared before the summary; otherwise a plain progress line is printed at most\n"
    "every 10 seconds. --quiet prints neither.\n"
    "\n"
    "SIGTERM, SIGINT (Ctrl+C) and SIGHUP stop the run after the current chunk: the\n"
    "partly written file is removed and the run is recorded as an error.\n"
    "\n"
    "Exit status:\n"
    "  0    the backup ended normally: every file was copied\n"
    "  1    the backup ended with an error: a file or folder could not be copied (see\n"
    "       the summary; the copy is kept, with older versions where there are any),\n"
    "       the disk is full, the destination failed or could not be synced, or the\n"
    "       new copy differs from its sources\n"
    "  2    the backup was stopped by a check before copying anything (no destination,\n"
    "       destination not ready or missing, its disk not mounted, no sources, not\n"
    "       enough space)\n"
    "  64   wrong use of the command\n"
    "  65   the job file is malformed (empty, cut short, binary, overlong lines, or a\n"
    "       count of sources that disagrees with its lines); nothing was run\n"
    "  66   the job file does not exist or cannot be read\n"
    "  128+N  stopped by signal N: 143 for SIGTERM, 130 for SIGINT, 129 for SIGHUP\n"
    "\n"
    "Getting files back. The copies of the job are those at its destination: the\n"
    "CopyNN folders, and the destination itself when a run copies over the previous\n"
    "copy (listed under the destination folder's own name). PATH is always a file's or\n"
    "folder's original path as it was backed up (/home/ana/Letters/ana.txt), never a\n"
    "path inside a copy; NAME is a copy's name as --list-copies prints it (Copy03).\n"
    "Nothing is ever written into a copy.\n"
    "\n"
    "  --list-copies  one line a copy, newest first: name, date and time of the run\n"
    "                 that made it (from the run history in $XDG_STATE_HOME/Orvessa,\n"
    "                 else the folder's time), state: \"complete\", \"N missing\",\n"
    "                 \"N carried over\" (files the run could not copy; the copy holds\n"
    "                 their older versions), \"verification failed\", \"run failed\"\n"
    "  --versions     one line a copy that holds PATH, newest first: name, date, size,\n"
    "                 \"changed\" or \"unchanged\" against the next older version, and\n"
    "                 its path inside the copy\n"
    "  --search       every file or folder whose name holds TEXT (letters compared\n"
    "                 without case), in every copy: name of the copy, original path\n"
    "  --deleted      files the copies hold whose original path is gone from the\n"
    "                 source now, once each: the newest copy holding it, original path\n"
    "  --restore      restores the files and folders PATH... from the copy NAME: to\n"
    "                 their original place, or with --to into DIR, keeping their paths\n"
    "                 as in the copy (/home/ana/Letters/ana.txt from the source\n"
    "                 /home/ana/Letters goes to DIR/Letters/ana.txt). A file already\n"
    "                 there with the same contents is skipped; one that differs is kept\n"
    "                 and the restored file takes the name \"ana (restored YYYY-MM-DD).txt\"\n"
    "                 beside it, unless --replace replaces it. Every restored file is a\n"
    "                 new file (never a hard link into the copy) written under a\n"
    "                 temporary name and renamed, with the times and modes of the copy;\n"
    "                 a folder missing altogether is built beside its place and renamed.\n"
    "\n"
    "Exit status of these commands:\n"
    "  0    done: every file restored or already there\n"
    "  1    some files could not be restored (each is named with the reason), or\n"
    "       some PATH is not in the copy while others were restored\n"
    "  2    nothing done: the destination is not there, there is no copy NAME, no copy\n"
    "       holds PATH (--versions), or the copy holds none of the PATHs (--restore)\n"
    "  64, 65, 66 and 128+N as for a backup (SIGTERM stops a restore after the current\n"
    "       chunk; the file in progress never gets its name)\n";

volatile std::sig_atomic_t g_stop_signal = 0;

extern "C" void OnStopSignal(int signal) { g_stop_signal = signal; }

// Stop signals only note themselves; the main thread passes them on to the run.
void CatchStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

unsigned long long U(std::uint64_t n) { return static_cast<unsigned long long>(n); }

void PrintVerification(std::FILE* out, const Verification& v) {
  if (v.files + v.mismatched + v.changed == 0 && !v.canary_checked) return;
  char parts[64] = "";
  if (v.in_parts > 0) std::snprintf(parts, sizeof parts, " (%llu in parts)", U(v.in_parts));
  std::fprintf(out, "Verified %s%llu files%s, %llu bytes, against their sources%s: %llu differ.\n",
               v.all ? "all " : "", U(v.files + v.mismatched), parts, U(v.bytes),
               v.canary_checked ? " and a check file" : "", U(v.mismatched));
  for (const FailedPath& mismatch : v.mismatches) {
    std::fprintf(out, "  differs: %s: %s\n", mismatch.path.c_str(), mismatch.reason.c_str());
  }
  if (v.mismatched > v.mismatches.size()) {
    std::fprintf(out, "  and %llu more that differ\n", U(v.mismatched - v.mismatches.size()));
  }
  if (v.changed == 0) return;
  std::fprintf(out, "Changed after being copied, not compared (%llu):\n", U(v.changed));
  for (const std::string& path : v.changed_paths) std::fprintf(out, "  %s\n", path.c_str());
  if (v.changed > v.changed_paths.size()) {
    std::fprintf(out, "  and %llu more\n", U(v.changed - v.changed_paths.size()));
  }
}

void PrintCarried(std::FILE* out, const RunReport& report) {
  for (const auto& [copy, count] : report.carried_from) {
    if (copy.empty()) {
      std::fprintf(out, "Kept from the previous copy, not copied today: %llu files or folders.\n",
                   U(count));
    } else {
      std::fprintf(out, "Carried over from %s, not copied today: %llu files or folders.\n",
                   copy.c_str(), U(count));
    }
  }
}

void PrintSummary(std::FILE* out, const RunReport& report) {
  std::fprintf(out, "Copied %llu files, %llu bytes, in %s.\n", U(report.files), U(report.bytes),
               DurationInWords(report.elapsed).c_str());
  if (report.shared > 0) {
    std::fprintf(out, "Of them %llu unchanged files (%llu bytes) shared with the prior copy.\n",
                 U(report.shared), U(report.shared_bytes));
  }
  PrintVerification(out, report.verified);
  if (report.failed == 0) return;
  std::fprintf(out, "Not copied (%llu files or folders)%s\n",
               static_cast<unsigned long long>(report.failed),
               report.failed > report.failures.size() ? ", the first ones:" : ":");
  for (const FailedPath& failure : report.failures) {
    std::fprintf(out, "  %s: %s\n", failure.path.c_str(), failure.reason.c_str());
  }
  if (report.failed > report.failures.size()) {
    std::fprintf(out, "  and %llu more\n",
                 static_cast<unsigned long long>(report.failed - report.failures.size()));
  }
  PrintCarried(out, report);
}

struct Arguments {
  bool help = false;
  bool power_off = false;
  bool verify_all = false;
  bool quiet = false;
  int share = -1;  // 0 or 1 from the command line, else the stored setting
  std::string job_file;
  CopyCommand copies;
  std::string error;  // non-empty: the command line is wrong
};

Command CommandOf(const std::string& arg) {
  if (arg == "--list-copies") return Command::ListCopies;
  if (arg == "--versions") return Command::Versions;
  if (arg == "--search") return Command::Search;
  if (arg == "--deleted") return Command::Deleted;
  if (arg == "--restore") return Command::Restore;
  return Command::Backup;
}

std::string Absolute(const std::string& path);

// Options that belong to one kind of command only, and the arguments each needs.
std::string CommandProblem(Arguments& args) {
  CopyCommand& copies = args.copies;
  if (copies.command == Command::Backup) {
    return copies.copy.empty() && copies.to.empty() && !copies.replace
               ? std::string()
               : "--copy, --to and --replace go with --restore";
  }
  if (args.power_off || args.verify_all || args.share >= 0) {
    return "--power-off, --verify-all and --share go with a backup only";
  }
  const bool restore = copies.command == Command::Restore;
  if (!restore && (!copies.to.empty() || copies.replace))
    return "--to and --replace go with --restore";
  if (!copies.copy.empty() && !restore && copies.command != Command::Deleted) {
    return "--copy goes with --restore and --deleted";
  }
  if (restore && copies.copy.empty()) return "--restore needs --copy NAME";
  const std::size_t wanted =
      copies.command == Command::ListCopies || copies.command == Command::Deleted ? 0 : 1;
  if (copies.paths.size() < wanted) return "a path is missing";
  if (!restore && copies.paths.size() > wanted) return "too many arguments";
  if (copies.command != Command::Search) {
    for (std::string& path : copies.paths) path = Absolute(path);
  }
  if (!copies.to.empty()) copies.to = Absolute(copies.to);
  return {};
}

Arguments ParseArguments(int argc, char** argv) {
  Arguments args;
  bool options_done = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (!options_done && (arg == "-h" || arg == "--help")) {
      args.help = true;
    } else if (!options_done && arg == "--power-off") {
      args.power_off = true;
    } else if (!options_done && arg == "--verify-all") {
      args.verify_all = true;
    } else if (!options_done && arg == "--quiet") {
      args.quiet = true;
    } else if (!options_done && (arg == "--share" || arg == "--no-share")) {
      args.share = arg == "--share";
    } else if (!options_done && CommandOf(arg) != Command::Backup) {
      if (args.copies.command != Command::Backup) args.error = "only one command at a time";
      args.copies.command = CommandOf(arg);
    } else if (!options_done && (arg == "--copy" || arg == "--to")) {
      if (++i == argc) {
        args.error = arg + " needs a value";
        break;
      }
      (arg == "--copy" ? args.copies.copy : args.copies.to) = argv[i];
    } else if (!options_done && arg == "--replace") {
      args.copies.replace = true;
    } else if (!options_done && arg == "--") {
      options_done = true;
    } else if (!options_done && arg.size() > 1 && arg[0] == '-') {
      args.error = "unknown option " + arg;
    } else if (args.job_file.empty()) {
      args.job_file = arg;
    } else if (args.copies.command != Command::Backup) {
      args.copies.paths.push_back(arg);
    } else {
      args.error = "only one job file can be run at a time";
    }
  }
  if (args.error.empty()) args.error = CommandProblem(args);
  if (args.error.empty() && !args.help && args.job_file.empty()) {
    args.error = "no job file given";
  }
  return args;
}

std::string Absolute(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  char here[4096];
  if (!::getcwd(here, sizeof here)) return path;
  return std::string(here) + "/" + path;
}

// A job file the user named must be there and readable; the restore rules would
// otherwise quietly turn it into an empty job.
std::string CheckJobFile(const FileSystem& fs, const std::string& path) {
  if (fs.FolderExists(path)) return "the job file " + path + " is a folder";
  auto probe = fs.ReadFile(path, 1);
  if (!probe) {
    return "cannot read the job file " + path + ": " + std::strerror(probe.error().errnum);
  }
  return {};
}

int Run(const Arguments& args) {
  CatchStopSignals();
  PosixFileSystem fs;
  const std::string job_path = Absolute(args.job_file);
  if (std::string problem = CheckJobFile(fs, job_path); !problem.empty()) {
    std::fprintf(stderr, "Orvessa: %s\n", problem.c_str());
    return kExitNoInput;
  }

  SystemClock clock;
  QtLocale locale;
  LogindPower power;
  QtSettingsStore settings;
  const int base = StoredLanguageBase(settings);
  // By number: ids reach only the first texts of each language.
  TextSource text = [base](int number) { return LoadText(base, number); };

  auto content = fs.ReadFile(job_path, job_file::kMaxFileBytes);
  if (!content) {
    std::fprintf(stderr, "Orvessa: cannot read the job file %s: %s\n", job_path.c_str(),
                 std::strerror(content.error().errnum));
    return kExitNoInput;
  }
  const FileContent& bytes = content.value();
  if (std::string problem = JobFileProblem(bytes.bytes, bytes.truncated); !problem.empty()) {
    std::fprintf(stderr, "Orvessa: the job file %s is not a valid job file: %s\n", job_path.c_str(),
                 problem.c_str());
    return kExitDataError;
  }
  LoadedJob loaded = ParseJobFile(bytes.bytes, LoadMode::Restore, bytes.truncated);
  BackupJob job;
  loaded.MergeInto(job);
  // A number of copies to keep that cannot be read keeps them all.
  if (!loaded.CopiesToKeep) job.CopiesToKeep = -1;
  JobFileIdentity identity = JobFileIdentity::FromPath(job_path);
  if (args.copies.command != Command::Backup) {
    return RunCopyCommand(args.copies, job, g_stop_signal);
  }

  TerminalRunView view(stdout, stderr,
                       args.quiet                     ? ProgressStyle::None
                       : ::isatty(STDOUT_FILENO) == 1 ? ProgressStyle::Redrawn
                                                      : ProgressStyle::Plain,
                       text);
  SpaceAccounting space(job, fs, locale, view, text, StateFolder());
  // Measured as loading a job measures them; a stop signal cuts that short too.
  for (const SourceEntry& entry : job.Sources) {
    if (g_stop_signal != 0) break;
    if (entry.IsFolder()) {
      std::string entry_text = entry.Text();
      space.AddFolderSize(entry_text);
    } else {
      space.AddFileSize(entry.Path());
    }
  }

  RunSettings run_settings;
  run_settings.state_folder = StateFolder();
  run_settings.text = text;
  run_settings.share_unchanged = args.share >= 0 ? args.share == 1 : StoredShareUnchanged(settings);
  run_settings.verify_all = args.verify_all;
  SteadyMonotonic time;
  std::stop_source stop;
  if (g_stop_signal != 0) stop.request_stop();
  RunResult result;
  {
    // The run has a thread of its own; this one passes a stop signal on to it.
    std::atomic<bool> done = false;
    std::thread worker([&] {
      BackupRun run(RunServices{fs, fs, clock, locale, time}, view, run_settings, job);
      result = run.Run(stop.get_token());
      done = true;
    });
    while (!done) {
      if (g_stop_signal != 0) stop.request_stop();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    worker.join();
  }
  view.ClearProgress();
  RecordRun(fs, clock, locale, ProgramFolder(), StateFolder(), job, identity, result);
  const float version = ReadWindowsVersion(power);
  const bool power_off = args.power_off && result.end == RunEnd::Normal && job.LastRunOutcome == 0;
  if (power_off) {
    if (version >= kPowerOffVersion) power.EnableShutdownPrivilege();
    PowerOffSystem(power, version);
  }
  if (result.end == RunEnd::Normal) ClearReadOnlyInDestination(fs, job.Destination);
  if (result.end != RunEnd::StoppedAtCheck) PrintSummary(stdout, result.report);
  std::fflush(stdout);
  if (g_stop_signal != 0) return kExitSignalBase + g_stop_signal;

  if (power_off) {
    // The power-off request is asynchronous: give its answer (or the fallback) time.
    ServeEventsFor(std::chrono::seconds(5));
  }

  switch (result.end) {
    case RunEnd::Normal:
      return kExitNormal;
    case RunEnd::StoppedAtCheck:
      return kExitStopped;
    default:
      return kExitError;
  }
}

}  // namespace
}  // namespace orvessa

int main(int argc, char** argv) {
  const orvessa::Arguments args = orvessa::ParseArguments(argc, argv);
  if (!args.error.empty()) {
    std::fprintf(stderr, "Orvessa: %s\n%s", args.error.c_str(), orvessa::kUsage);
    return orvessa::kExitUsage;
  }
  if (args.help) {
    std::fputs(orvessa::kHelp, stdout);
    return orvessa::kExitNormal;
  }
  // Qt gives the locale, the settings file and the system bus; no display is needed.
  QCoreApplication app(argc, argv);
  QCoreApplication::setOrganizationName(QStringLiteral("Orvessa"));
  QCoreApplication::setApplicationName(QStringLiteral("Orvessa"));
  return orvessa::Run(args);
}
