#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/backup_job.hpp"
#include "core/copy_verification.hpp"
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

  void Run();
  bool CheckSourcesAgainstTargets();
  bool CopyEntries(Yielder& yielder);  // false when the run ended
  bool CopyFolderEntry(const SourceEntry& entry, Yielder& yielder);
  bool CopyFileEntry(const SourceEntry& entry, Yielder& yielder);
  // Where the prior copy of an entry's copy lies, to share its unchanged files; empty
  // when nothing is shared.
  std::string SharedFrom(const SourceEntry& entry) const;
  // Bytes the run will write: the selection less what the prior copies share.
  double BytesToWrite() const;
  // Compares the new copy at `copy` with its sources; false when the run was stopped.
  bool Verify(const std::string& copy, Yielder& yielder);
  // Where this run's copies go: the destination, or the copy folder being built in it.
  std::string CopyBase() const;
  // Counts a file or entry that was not copied; true when the run goes on.
  bool Failed(const std::string& source, const FsError& error);
  void Counted(const CopyStats& stats);
  FsStatus WaitForDrive();
  // Waits for another run into the same destination to end; false when this run ended.
  bool LockDestination(std::shared_ptr<FolderLock>& lock);
  RunErrorContext Context(const FsError& error) const;
  // Applies the reaction to a failed step: true when the run goes on.
  bool Handle(const FsError& error);
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
};

}  // namespace orvessa
