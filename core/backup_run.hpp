#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/backup_job.hpp"
#include "core/copy_engine.hpp"
#include "core/copy_verification.hpp"
#include "core/missing_list.hpp"
#include "core/prior_copies.hpp"
#include "core/run_errors.hpp"
#include "core/run_events.hpp"
#include "core/run_report.hpp"
#include "core/space_accounting.hpp"
#include "platform/clock.hpp"
#include "platform/file_system.hpp"
#include "platform/locale.hpp"
#include "platform/monotonic.hpp"

namespace orvessa {

struct RunServices {
  FileSystem& fs;
  CopyEngine& copier;
  const Clock& clock;
  const Locale& locale;
  Monotonic& time;
};

struct RunSettings {
  TextSource text;  // string table texts in the language the run started in
  // Two-second polls of a destination that stopped answering before the run gives up.
  int drive_wait_polls = 30;
  // Unchanged files become further names of the prior copy's files instead of copies.
  bool share_unchanged = true;
  // Every file of the new copy is compared with its source, not a sample.
  bool verify_all = false;
  // Picks the verification sample and names the check file; 0: a random seed per run.
  std::uint64_t seed = 0;
  std::string state_folder;  // which disk each destination lies on; empty: not kept
  // The selection's size was still being measured when the run started: the run measures
  // it itself before its space check.
  bool measure_selection = false;
};

enum class RunEnd { NotRun, Normal, StoppedAtCheck, Error };

// How a run ended, for whoever started it to act on: the job's new dates and outcome,
// its saves and the record of the last copy (RecordRun), the power-off.
struct RunResult {
  RunEnd end = RunEnd::NotRun;
  RunReport report;
  std::int16_t outcome = 0;  // the job's LastRunOutcome after the run
  std::string date, time;    // LastRunDate and LastRunTime after the run
  std::string destination;   // the job's destination after the run: a final "/" added,
                             // empty when it was found not ready and is forgotten
  std::string copy_folder;   // "Copy07" in keep-prior-copies mode
  int last_message = 0;      // the text number of the run's last message, 0 for none
  bool stopped = false;      // an error end because the run was asked to stop
};

// One backup run of a copy of the job, taken when the run starts, on the calling thread:
// a worker of the window, or orvessa-run's own. It tells `events` what it does and stops
// at the next chunk or wait once `stop` is requested, ending as an error end with no
// half-written file left.
class BackupRun {
 public:
  BackupRun(const RunServices& services, RunEvents& events, RunSettings settings, BackupJob job);

  RunResult Run(std::stop_token stop);

 private:
  class Yielder;

  // A copy built beside its place, put there once everything is on the disk.
  struct Pending {
    std::string fresh;
    std::string folder;
    std::string name;
  };
  // A file or folder that could not be copied today.
  struct Missed {
    std::size_t entry = 0;  // of the job's sources
    std::string relative;   // below the entry's copy; empty for the whole entry
    MissedPath path;
  };

  void Steps();
  bool CheckSourcesAgainstTargets();
  bool CopyEntries(Yielder& yielder);  // false when the run ended
  bool CopyFolderEntry(const SourceEntry& entry, Yielder& yielder);
  bool CopyFileEntry(const SourceEntry& entry, Yielder& yielder);
  // Takes what could not be copied today from the newest older copy that has it.
  bool CarryOver(Yielder& yielder);
  bool CarryOver(Missed& missed, Yielder& yielder);
  // Syncs the destination's file system; false when the run ended.
  bool SyncCopy();
  // Puts the copies in place once synced, syncs the folders that changed and only then
  // deletes what they replace; false when the run ended.
  bool PlaceCopies(std::optional<CopyRotation>& rotation);
  // Where the prior copy of an entry's copy lies, to share its unchanged files; empty
  // when nothing is shared.
  std::string SharedFrom(const SourceEntry& entry) const;
  // Bytes the run will write: the selection less what the prior copies share.
  double BytesToWrite() const;
  // Compares the new copy with its sources and reads the check file back; false when
  // the run was stopped.
  bool Verify(Yielder& yielder);
  // Where this run's copies go: the destination, or the copy folder being built in it.
  std::string CopyBase() const;
  // The name a path below a copy being built will have once the copy is in place.
  std::string ShownPath(const std::string& path) const;
  // Deletes a copy not yet in place, when a later entry of the same name replaces it.
  void DropPending(const std::string& fresh);
  // Counts a file or entry that was not copied; true when the run goes on.
  bool Failed(const std::string& source, const FsError& error);
  void Counted(const CopyStats& stats);
  FsStatus WaitForDrive();
  // Waits for another run into the same destination to end; false when this run ended.
  bool LockDestination(std::shared_ptr<FolderLock>& lock);
  RunErrorContext Context(const FsError& error) const;
  // Applies the reaction to a failed step: true when the run goes on.
  bool Handle(const FsError& error);
  // Measures the destination's free space; false when it was reported as not ready and
  // the run stopped. The first measure tells whoever shows the run.
  bool MeasureDestination(bool first);
  void StopAtCheck(int message);
  void EndWithFailures();  // the message for what was not copied, then an error end
  void ErrorEnd();
  std::string NowText() const;
  void Message(int number, MessageIcon icon);
  bool Stopped() const { return stop_.stop_requested(); }
  // Waits two seconds between polls; false when the run was stopped meanwhile.
  bool Pause();
  void ShowProgress(std::uint64_t bytes_copied, std::uint64_t files, const std::string& current);

  FileSystem& fs_;
  CopyEngine& copier_;
  const Clock& clock_;
  const Locale& locale_;
  Monotonic& time_;
  RunEvents& events_;
  RunSettings settings_;
  BackupJob job_;
  std::stop_token stop_;
  RunResult result_;

  // Run state.
  std::string CopyFolderName;  // "Copy07/" in keep-prior-copies mode, else empty
  bool DeletedExisting = false;
  bool DriveConfirmed = false;
  double FreeBytes = 0;
  std::string DestinationDrive;
  std::uint64_t BytesCopied = 0;  // written or shared, for the progress
  std::string building_;          // the copy folder under its temporary name, while it is built
  HardLinks links_;               // files with several names copied so far in this run
  LinkSupport link_support_;
  std::string newest_copy_;  // keep mode: the copy folder files are shared from
  std::unique_ptr<CopySample> sample_;
  std::uint64_t seed_ = 0;
  std::vector<Pending> pending_;
  std::vector<Missed> missed_;
  std::size_t entry_ = 0;  // the entry being copied
  int entries_ = 0;
  Canary canary_;
};

}  // namespace orvessa
