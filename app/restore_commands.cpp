#include "app/restore_commands.hpp"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <set>
#include <stop_token>
#include <thread>

#include "app/program_folders.hpp"
#include "core/copy_catalogue.hpp"
#include "core/copy_search.hpp"
#include "core/restore.hpp"
#include "platform/linux/posix_file_system.hpp"
#include "platform/linux/system_clock.hpp"

namespace orvessa {
namespace {

constexpr int kExitNormal = 0;
constexpr int kExitError = 1;
constexpr int kExitStopped = 2;
constexpr int kExitSignalBase = 128;

unsigned long long U(std::uint64_t n) { return static_cast<unsigned long long>(n); }

std::string StateOf(const CopyInfo& copy) {
  std::string state;
  auto add = [&state](const std::string& part) { state += (state.empty() ? "" : ", ") + part; };
  if (copy.missing > copy.carried) add(std::to_string(copy.missing - copy.carried) + " missing");
  if (copy.carried > 0) add(std::to_string(copy.carried) + " carried over");
  if (copy.verification_failed) add("verification failed");
  if (copy.run_failed && copy.missing == 0 && !copy.verification_failed) add("run failed");
  return state.empty() ? "complete" : state;
}

// Runs work on a thread of its own while this one passes a stop signal on to it.
template <typename Work>
void WithStopSignal(const volatile std::sig_atomic_t& stop_signal, Work work) {
  std::stop_source stop;
  std::atomic<bool> done = false;
  std::thread worker([&] {
    work(stop.get_token());
    done = true;
  });
  while (!done) {
    if (stop_signal != 0) stop.request_stop();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  worker.join();
}

void PrintItem(const CopyItem& item) {
  std::printf("%s\t%s\n", item.copy.c_str(), item.original.c_str());
}

int Restore(const CopyCommand& command, const BackupJob& job, const CopyInfo& copy,
            PosixFileSystem& fs, const volatile std::sig_atomic_t& stop_signal) {
  SystemClock clock;
  RestoreRequest request{copy, command.paths, command.to, command.replace, clock.Now().date};
  RestorePlan plan = PlanRestore(fs, fs, job, request);
  for (const FailedPath& problem : plan.problems) {
    std::fprintf(stderr, "Orvessa: not restored: %s: %s\n", problem.path.c_str(),
                 problem.reason.c_str());
  }
  if (plan.steps.empty() && !plan.problems.empty()) return kExitStopped;
  RestoreResult result;
  WithStopSignal(stop_signal, [&](std::stop_token stop) {
    result = RunRestore(fs, fs, plan, nullptr, std::move(stop));
  });
  for (const RestoreStep& step : plan.steps) {
    if (step.action == RestoreAction::KeepBoth) {
      std::printf("kept both: %s restored as %s\n", step.from.c_str(), step.to.c_str());
    }
  }
  std::printf(
      "Restored %llu files, %llu bytes, from %s; %llu identical skipped, %llu kept "
      "beside a different file, %llu replaced.\n",
      U(result.files), U(result.bytes), copy.name.c_str(), U(result.skipped), U(result.kept_both),
      U(result.replaced));
  if (!command.replace && result.kept_both > 0) {
    std::printf("%llu files in the way differ from the copy's; --replace would replace them.\n",
                U(plan.differing));
  }
  if (result.stopped) std::printf("Stopped: the file being restored was removed.\n");
  for (const FailedPath& failure : result.failures) {
    std::fprintf(stderr, "Orvessa: could not restore %s: %s\n", failure.path.c_str(),
                 failure.reason.c_str());
  }
  if (stop_signal != 0) return kExitSignalBase + stop_signal;
  return result.failed > 0 || result.stopped || !plan.problems.empty() ? kExitError : kExitNormal;
}

}  // namespace

int RunCopyCommand(const CopyCommand& command, const BackupJob& job,
                   const volatile std::sig_atomic_t& stop_signal) {
  PosixFileSystem fs;
  if (job.Destination.empty() || !fs.FolderExists(job.Destination)) {
    std::fprintf(stderr, "Orvessa: the destination folder %s is not there\n",
                 job.Destination.c_str());
    return kExitStopped;
  }
  const std::vector<CopyInfo> copies = ListCopies(fs, job, ReadRunHistory(fs, StateFolder()));
  std::vector<CopyInfo> chosen = copies;
  if (!command.copy.empty()) {
    auto copy = FindCopy(copies, command.copy);
    if (!copy) {
      std::fprintf(stderr, "Orvessa: there is no copy %s in %s\n", command.copy.c_str(),
                   job.Destination.c_str());
      return kExitStopped;
    }
    chosen = {*copy};
  }
  // Results show as they are found, also through a pipe.
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  switch (command.command) {
    case Command::ListCopies:
      for (const CopyInfo& copy : copies) {
        std::printf("%s\t%s\t%s\n", copy.name.c_str(), copy.when.c_str(), StateOf(copy).c_str());
      }
      return kExitNormal;
    case Command::Versions: {
      const auto versions = VersionsOf(fs, fs, job, chosen, command.paths.front());
      for (const FileVersion& version : versions) {
        std::printf("%s\t%s\t%llu\t%s\t%s\n", version.item.copy.c_str(), version.when.c_str(),
                    U(version.item.size), version.changed ? "changed" : "unchanged",
                    version.item.path.c_str());
      }
      if (!versions.empty()) return kExitNormal;
      std::fprintf(stderr, "Orvessa: no copy holds %s\n", command.paths.front().c_str());
      return kExitStopped;
    }
    case Command::Search:
      WithStopSignal(stop_signal, [&](std::stop_token stop) {
        SearchCopies(
            fs, job, chosen, command.paths.front(),
            [](const CopyItem& item) {
              PrintItem(item);
              return true;
            },
            stop);
      });
      break;
    case Command::Deleted:
      WithStopSignal(stop_signal, [&](std::stop_token stop) {
        // An original gone from the source is listed once, from the newest copy holding it.
        std::set<std::string> listed;
        for (const CopyInfo& copy : chosen) {
          DeletedSince(
              fs, job, copy,
              [&listed](const CopyItem& item) {
                if (listed.insert(item.original).second) PrintItem(item);
                return true;
              },
              stop);
        }
      });
      break;
    case Command::Restore:
      return Restore(command, job, chosen.front(), fs, stop_signal);
    case Command::Backup:
      break;
  }
  return stop_signal != 0 ? kExitSignalBase + stop_signal : kExitNormal;
}

}  // namespace orvessa
