#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/backup_job.hpp"
#include "core/copy_verification.hpp"
#include "core/missing_list.hpp"
#include "core/prior_copies.hpp"
#include "core/run_errors.hpp"
#include "core/run_report.hpp"
#include "core/run_view.hpp"
#include "core/space_accounting.hpp"
#include "platform/clock.hpp"
#include "platform/event_pump.hpp"
#include "platform/file_system.hpp"
#include "platform/locale.hpp"
#include "platform/power.hpp"

namespace orvessa {

struct RunServices {
  FileSystem& fs;
  const Clock& clock;
  const Locale& locale;
  EventPump& pump;
  PowerService& power;
};

struct RunSettings {
  std::string program_folder;  // writable: job file copy and last-copy record
  std::string animation_path;  // the copy clip
  TextSource text;             // string table texts in the current language
  float WindowsVersion = 0;
  // Two-second polls of a destination that stopped answering before the run gives up.
  int drive_wait_polls = 30;
  // Unchanged files become further names of the prior copy's files instead of copies.
  bool share_unchanged = true;
  // Every file of the new copy is compared with its source, not a sample.
  bool verify_all = false;
  // Picks the verification sample and names the check file; 0: a random seed per run.
  std::uint64_t seed = 0;
  std::string state_folder;  // which disk each destination lies on; empty: not kept
};

enum class RunEnd { NotRun, Normal, StoppedAtCheck, Error };

// One backup run at a time, driving the window through RunView.
class BackupRun {
 public:
  BackupRun(const RunServices& services, RunView& view, SpaceAccounting& space, BackupJob& job,
            JobFileIdentity& identity, RunSettings settings);

  // Performs one run; a start while a run is in progress is ignored.
  void cmdCopiar_Click();

  bool Running() const { return running_; }
  // Asks a run in progress to stop at its next yield; it then ends as an error end
  // with no half-written file left.
  void RequestStop() { stop_requested_ = true; }

  // Whether the next runs share unchanged files with the prior copy.
  void ShareUnchanged(bool share) { settings_.share_unchanged = share; }

  void SaveJobAfterRun();
  void SaveJobAfterError();

  bool PowerOffAfterCopy = false;
  // Run state, kept after the run.
  std::string CopyFolderName;  // "Copy07/" in keep-prior-copies mode, else empty
  bool DeletedExisting = false;
  bool DriveConfirmed = false;
  RunEnd LastEnd = RunEnd::NotRun;
  std::uint64_t BytesCopied = 0;  // written or shared, for the progress
  // Files, bytes, time and the files that were not copied, of the last run.
  RunReport Report;

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

  void Run();
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
  // the run stopped.
  bool MeasureDestination();
  void StopAtCheck(int message);
  void EndWithFailures();  // the message for what was not copied, then an error end
  void ErrorEnd();
  void EndAnimation();
  std::string LastRunPanel() const;
  std::string NowText() const;
  void Message(int number, MessageIcon icon);

  FileSystem& fs_;
  const Clock& clock_;
  const Locale& locale_;
  EventPump& pump_;
  PowerService& power_;
  RunView& view_;
  SpaceAccounting& space_;
  BackupJob& job_;
  JobFileIdentity& identity_;
  RunSettings settings_;

  bool running_ = false;
  bool stop_requested_ = false;
  std::string building_;  // the copy folder under its temporary name, while it is built
  HardLinks links_;       // files with several names copied so far in this run
  LinkSupport link_support_;
  std::string newest_copy_;  // keep mode: the copy folder files are shared from
  std::unique_ptr<CopySample> sample_;
  std::uint64_t seed_ = 0;
  std::vector<Pending> pending_;
  std::vector<Missed> missed_;
  std::size_t entry_ = 0;  // the entry being copied
  Canary canary_;
};

}  // namespace orvessa
