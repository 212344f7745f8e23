#include "core/backup_run.hpp"

#include <algorithm>
#include <chrono>
#include <optional>

#include "core/espera.hpp"
#include "core/job_file_writer.hpp"
#include "core/power_off.hpp"
#include "core/prior_copies.hpp"
#include "core/run_records.hpp"

namespace orvessa {
namespace {

constexpr int kCopyTab = 2;
constexpr int kFinished = 60;
constexpr int kBackupError = 61;
constexpr int kSuccessful = 65;
constexpr int kError = 66;
constexpr int kNoDestination = 87;
constexpr int kNoSources = 88;
constexpr int kNotEnoughSpace = 89;
constexpr int kWrongPath = 84;
constexpr int kNotReady = 86;

// Marks of the folders an overwrite keeps beside the copy it replaces.
constexpr const char* kNewCopySuffix = ".orvessa-new";
constexpr const char* kOldCopySuffix = ".orvessa-old";

std::string FileNameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

bool IsInside(const std::string& path, const std::string& folder) {
  if (folder == "/") return true;
  return path == folder ||
         (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
          path[folder.size()] == '/');
}

std::string WithoutFinalSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// The real path a path has or would have: its nearest existing folder resolved, the
// rest appended.
std::string ResolvedPath(const FileSystem& fs, const std::string& path) {
  std::string head = WithoutFinalSlash(path);
  std::string tail;
  while (true) {
    if (auto real = fs.RealPath(head)) {
      if (real.value() == "/") return tail.empty() ? std::string("/") : tail;
      return real.value() + tail;
    }
    const auto slash = head.rfind('/');
    if (slash == std::string::npos || head == "/") return WithoutFinalSlash(path);
    tail = head.substr(slash) + tail;
    head = slash == 0 ? std::string("/") : head.substr(0, slash);
  }
}

}  // namespace

// Lets the window breathe during a copy and carries a stop request into it.
class BackupRun::Yielder : public CopyObserver {
 public:
  Yielder(BackupRun& run) : run_(run) {}

  bool Continue(std::uint64_t bytes_copied) override {
    const auto now = run_.pump_.MonotonicNow();
    if (now - last_ >= std::chrono::milliseconds(40)) {
      last_ = now;
      run_.view_.ShowBytesCopied(run_.BytesCopied + bytes_copied, run_.job_.SelectedBytes);
      run_.pump_.ProcessEvents(std::chrono::milliseconds(0));
    }
    return !run_.stop_requested_;
  }

 private:
  BackupRun& run_;
  std::chrono::steady_clock::time_point last_{};
};

BackupRun::BackupRun(const RunServices& services, RunView& view, SpaceAccounting& space,
                     BackupJob& job, JobFileIdentity& identity, RunSettings settings)
    : fs_(services.fs),
      clock_(services.clock),
      locale_(services.locale),
      pump_(services.pump),
      power_(services.power),
      view_(view),
      space_(space),
      job_(job),
      identity_(identity),
      settings_(std::move(settings)) {}

void BackupRun::cmdCopiar_Click() {
  if (running_) return;
  running_ = true;
  stop_requested_ = false;
  Run();
  running_ = false;
}

void BackupRun::Message(int number, MessageIcon icon) {
  view_.ShowMessage(settings_.text(number), icon);
}

std::string BackupRun::LastRunPanel() const {
  return job_.LastRunDate + "  " + job_.LastRunTime + "  ";
}

std::string BackupRun::NowText() const {
  const LocalDateTime now = clock_.Now();
  return locale_.FormatShortDate(now.date) + " " + locale_.FormatTime(now.time);
}

void BackupRun::Run() {
  job_.LastRunOutcome = 0;
  BytesCopied = 0;
  if (view_.ShowTab(kCopyTab)) space_.ShowCopyTabSpace(kCopyTab);
  pump_.ProcessEvents(std::chrono::milliseconds(0));

  if (view_.StatusPanel(2).empty()) view_.SetStatusPanel(2, identity_.JobFileName);
  view_.SetStatusPanel(3, job_.Destination);
  view_.SetStatusPanel(4, LastRunPanel());

  view_.SetTimer2Enabled(true);
  view_.OpenAnimation(settings_.animation_path);
  view_.SetAnimationVisible(true);
  view_.SetLabel6Visible(true);

  CopyFolderName.clear();
  DeletedExisting = false;
  DriveConfirmed = false;

  if (job_.Destination.empty()) {
    Message(kNoDestination, MessageIcon::Critical);
    LastEnd = RunEnd::StoppedAtCheck;
    return;
  }

  std::shared_ptr<FolderLock> lock;
  if (!LockDestination(lock)) return;

  // The rotation is worked out now but carried out only once the checks have passed,
  // so that a refused run costs no prior copy.
  std::optional<CopyRotation> rotation;
  if (job_.CopyMode) {
    std::vector<std::string> sources;
    for (const SourceEntry& entry : job_.Sources) sources.push_back(entry.Path());
    rotation = PlanCopyRotation(fs_, job_.Destination, job_.CopiesToKeep, sources);
    CopyFolderName = rotation->new_name + "/";
  }
  if (job_.Destination.back() != '/') job_.Destination += '/';

  space_.CheckDestinationSpace();
  if (rotation && !job_.Destination.empty() && space_.DestinationDrive != kNetworkDrive) {
    double freed = 0;
    for (const std::string& name : rotation->to_delete) {
      freed += space_.FolderSize(job_.Destination + name);
    }
    if (freed > 0) {
      space_.FreeBytes += freed;
      const std::string text = FormatKilobytes(space_.FreeBytes, locale_);
      view_.SetLabelText(Control::Label7, text);
      view_.SetLabelText(Control::Label21, text);
    }
  }

  if (job_.Sources.empty()) return StopAtCheck(kNoSources);
  if (InsufficientSpace(job_.SelectedBytes, space_.FreeBytes, space_.DestinationDrive)) {
    return StopAtCheck(kNotEnoughSpace);
  }
  if (!CheckSourcesAgainstTargets()) return;

  if (rotation) ApplyCopyRotation(fs_, job_.Destination, *rotation);

  view_.PlayAnimation();
  const int count = static_cast<int>(job_.Sources.size());
  view_.SetProgressMaximum(count);
  view_.SetCopyCursor(true);

  Yielder yielder(*this);
  for (int i = 0; i < count; ++i) {
    const SourceEntry& entry = job_.Sources[static_cast<std::size_t>(i)];
    view_.SetLabelText(Control::Label8, entry.Text());
    view_.SetProgressValue((i + 1) - 0.1);
    if (!CopyEntry(entry, yielder)) return;
  }

  const LocalDateTime now = clock_.Now();
  job_.LastRunDate = locale_.FormatShortDate(now.date);
  job_.LastRunTime = locale_.FormatTime(now.time);
  SaveJobAfterRun();
  (void)WriteLastCopyRecord(fs_, settings_.program_folder, view_.StatusPanel(2));

  view_.SetProgressValue(count);
  view_.SetLabelText(Control::Label8, settings_.text(kFinished) + " " + NowText());
  view_.SetLabel6Visible(false);
  EndAnimation();
  view_.SetCopyCursor(false);

  if (PowerOffAfterCopy) {
    if (settings_.WindowsVersion >= kPowerOffVersion) power_.EnableShutdownPrivilege();
    view_.UnloadMainWindow();
  }

  ClearReadOnlyInDestination(fs_, job_.Destination);
  view_.SetTimer2Enabled(false);
  view_.SetStatusPanel(5, settings_.text(job_.LastRunOutcome == 0 ? kSuccessful : kError));
  LastEnd = RunEnd::Normal;
}

void BackupRun::StopAtCheck(int message) {
  Message(message, MessageIcon::Critical);
  view_.CloseAnimation();
  view_.SetStatusPanel(5, settings_.text(kError));
  LastEnd = RunEnd::StoppedAtCheck;
}

bool BackupRun::CheckSourcesAgainstTargets() {
  const std::string base = job_.Destination + CopyFolderName;
  for (const SourceEntry& entry : job_.Sources) {
    if (!entry.IsFolder()) continue;
    const std::string source = ResolvedPath(fs_, entry.Path());
    const std::string target = ResolvedPath(fs_, base + CopyNameOf(entry));
    // Replacing such a copy would delete the source itself.
    if (IsInside(source, target)) {
      Message(kWrongPath, MessageIcon::Exclamation);
      ErrorEnd();
      return false;
    }
  }
  return true;
}

bool BackupRun::CopyEntry(const SourceEntry& entry, Yielder& yielder) {
  return entry.IsFolder() ? CopyFolderEntry(entry, yielder) : CopyFileEntry(entry, yielder);
}

FsStatus BackupRun::WaitForDrive() {
  const std::string destination = WithoutFinalSlash(job_.Destination);
  for (int poll = 1;; ++poll) {
    Espera(pump_, 2);
    if (stop_requested_) return FsError{FsErrorKind::Cancelled, 0, destination};
    if (!fs_.FolderExists(destination))
      return FsError{FsErrorKind::PathNotFound, ENOENT, destination};
    if (fs_.GetDrive(destination).ready) return FsOk{};
    if (poll >= settings_.drive_wait_polls) return FsError{FsErrorKind::NotReady, 0, destination};
  }
}

// Two runs into one destination (the window's and a scheduled one) would share their
// temporary names and copy numbers, so the later one waits, as long as for a drive.
bool BackupRun::LockDestination(std::shared_ptr<FolderLock>& lock) {
  for (int poll = 0;; ++poll) {
    auto locked = fs_.LockFolder(WithoutFinalSlash(job_.Destination));
    if (!locked) return true;  // nothing to lock here; the checks report a missing folder
    lock = locked.value();
    if (lock) return true;
    if (poll >= settings_.drive_wait_polls) {
      Message(kNotReady, MessageIcon::Critical);
      ErrorEnd();
      return false;
    }
    Espera(pump_, 2);
    if (stop_requested_) {
      ErrorEnd();
      return false;
    }
  }
}

bool BackupRun::CopyFolderEntry(const SourceEntry& entry, Yielder& yielder) {
  const std::string source = entry.Path();
  const std::string base = job_.Destination + CopyFolderName;
  const std::string target = base + CopyNameOf(entry);

  const bool replace = !job_.CopyMode && fs_.FolderExists(target);
  if (replace) DeletedExisting = true;

  if (FsStatus ready = WaitForDrive(); !ready) return Handle(ready.error());
  DriveConfirmed = true;

  CopyOptions options;
  options.overwrite = true;
  options.exclude.push_back(WithoutFinalSlash(job_.Destination));
  options.observer = &yielder;

  if (replace) return ReplaceFolderCopy(source, target, options);
  auto copied = fs_.CopyTree(source, target, options);
  if (!copied) return Handle(copied.error());
  BytesCopied += copied.value().bytes;
  return true;
}

// The previous copy stays until the new one is complete, then the two are swapped.
bool BackupRun::ReplaceFolderCopy(const std::string& source, const std::string& target,
                                  const CopyOptions& options) {
  const auto slash = target.rfind('/');
  const std::string folder = target.substr(0, slash + 1);
  const std::string name = target.substr(slash + 1);
  const std::string fresh = folder + "." + name + kNewCopySuffix;
  const std::string old = folder + "." + name + kOldCopySuffix;

  // Left behind by a run that was cut off; only ever our own names.
  if (fs_.FolderExists(fresh)) (void)fs_.DeleteTree(fresh, true);
  auto copied = fs_.CopyTree(source, fresh, options);
  if (!copied) {
    (void)fs_.DeleteTree(fresh, true);
    return Handle(copied.error());
  }
  BytesCopied += copied.value().bytes;

  if (fs_.FolderExists(old)) (void)fs_.DeleteTree(old, true);
  if (FsStatus moved = fs_.Rename(target, old); !moved) {
    (void)fs_.DeleteTree(fresh, true);
    return Handle(moved.error());
  }
  if (FsStatus swapped = fs_.Rename(fresh, target); !swapped) {
    (void)fs_.Rename(old, target);
    (void)fs_.DeleteTree(fresh, true);
    return Handle(swapped.error());
  }
  if (FsStatus removed = fs_.DeleteTree(old, true); !removed) return Handle(removed.error());
  return true;
}

bool BackupRun::CopyFileEntry(const SourceEntry& entry, Yielder& yielder) {
  CopyOptions options;
  options.overwrite = true;
  options.observer = &yielder;
  const std::string source = entry.Path();
  auto copied =
      fs_.CopyFile(source, job_.Destination + CopyFolderName + FileNameOf(source), options);
  if (!copied) return Handle(copied.error());
  BytesCopied += copied.value().bytes;
  return true;
}

bool BackupRun::Handle(const FsError& error) {
  RunErrorContext context;
  context.network_destination = space_.DestinationDrive == kNetworkDrive;
  context.DeletedExisting = DeletedExisting;
  context.DriveConfirmed = DriveConfirmed;
  if (error.kind == FsErrorKind::PathNotFound) {
    context.destination_missing = !fs_.FolderExists(job_.Destination + CopyFolderName);
  }
  const ErrorReaction reaction = ReactionTo(error, context);
  if (reaction == ErrorReaction::Skip) return true;
  if (int message = MessageFor(reaction)) {
    Message(message,
            reaction == ErrorReaction::DiskFullEnd || reaction == ErrorReaction::NotReadyEnd
                ? MessageIcon::Critical
                : MessageIcon::Exclamation);
  }
  ErrorEnd();
  return false;
}

void BackupRun::ErrorEnd() {
  view_.SetLabelText(Control::Label8, settings_.text(kBackupError) + " " + NowText());
  job_.LastRunOutcome = 1;
  view_.SetLabel6Visible(false);
  EndAnimation();
  view_.SetCopyCursor(false);
  SaveJobAfterError();
  LastEnd = RunEnd::Error;
}

void BackupRun::EndAnimation() {
  view_.StopAnimation();
  view_.SetAnimationVisible(false);
  view_.CloseAnimation();
}

void BackupRun::SaveJobAfterRun() {
  (void)SaveJob(fs_, job_.Destination + identity_.JobFileName, job_, clock_, locale_);
  (void)fs_.MakeFolders(settings_.program_folder);
  (void)SaveJob(fs_, settings_.program_folder + "/" + identity_.JobFileName, job_, clock_, locale_);
  view_.SetStatusPanel(3, job_.Destination);
  view_.SetStatusPanel(4, LastRunPanel());
}

void BackupRun::SaveJobAfterError() {
  (void)fs_.MakeFolders(settings_.program_folder);
  (void)SaveJob(fs_, settings_.program_folder + "/" + identity_.JobFileName, job_, clock_, locale_);
  view_.SetStatusPanel(3, job_.Destination);
  view_.SetStatusPanel(4, LastRunPanel());
}

}  // namespace orvessa
