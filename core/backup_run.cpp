#include "core/backup_run.hpp"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <optional>
#include <random>

#include "core/espera.hpp"
#include "core/job_file_writer.hpp"
#include "core/power_off.hpp"
#include "core/prior_copies.hpp"
#include "core/run_records.hpp"
#include "core/temporary_copies.hpp"
#include "i18n/text_ids.hpp"

namespace orvessa {
namespace {

constexpr int kCopyTab = 2;

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

  // Off while the copy is compared with its sources: those bytes are not copied ones.
  bool counting = true;

  bool Continue(std::uint64_t bytes_copied) override {
    const auto now = run_.pump_.MonotonicNow();
    if (now - last_ >= std::chrono::milliseconds(40)) {
      last_ = now;
      if (counting) {
        const std::uint64_t bytes = run_.BytesCopied + bytes_copied;
        run_.view_.ShowBytesCopied(bytes, run_.job_.SelectedBytes);
        run_.view_.ShowCopyProgress(bytes, run_.job_.SelectedBytes, run_.Report.files + files_,
                                    current_);
      }
      run_.pump_.ProcessEvents(std::chrono::milliseconds(0));
    }
    return !run_.stop_requested_;
  }

  bool Skip(const std::string& source, const FsError& error) override {
    return run_.Failed(source, error);
  }

  void Starting(const std::string& source) override { current_ = source; }

  void Placed(const PlacedFile& file) override {
    ++files_;
    if (run_.sample_) run_.sample_->Offer(file);
  }

  // The files of the copy in progress are counted by the run once it returns.
  void EntryDone() { files_ = 0; }

 private:
  BackupRun& run_;
  std::chrono::steady_clock::time_point last_{};
  std::uint64_t files_ = 0;
  std::string current_;
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
  const auto started = pump_.MonotonicNow();
  Run();
  Report.elapsed =
      std::chrono::duration_cast<std::chrono::milliseconds>(pump_.MonotonicNow() - started);
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
  Report = {};
  building_.clear();
  links_ = {};
  link_support_ = {};
  newest_copy_.clear();
  seed_ = settings_.seed;
  if (seed_ == 0) seed_ = (std::uint64_t{std::random_device{}()} << 32) | std::random_device{}();
  sample_ = std::make_unique<CopySample>(settings_.verify_all, seed_);
  const bool destination_chosen = !job_.Destination.empty();
  if (view_.ShowTab(kCopyTab)) space_.ShowCopyTabSpace(kCopyTab);
  pump_.ProcessEvents(std::chrono::milliseconds(0));

  view_.SetStatusPanel(2, identity_.JobFileName);
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
    // A destination found missing as the copy tab came up was reported as not ready.
    if (!destination_chosen) Message(text_id::kNoDestination, MessageIcon::Critical);
    LastEnd = RunEnd::StoppedAtCheck;
    return;
  }

  std::shared_ptr<FolderLock> lock;
  if (!LockDestination(lock)) return;
  // What a run cut off (killed, powered off) left under the engine's own names.
  RemoveLeftovers(fs_, job_.Destination);

  // The rotation is worked out now but carried out only once the new copy is complete,
  // so that a refused, failed or stopped run costs no prior copy.
  std::optional<CopyRotation> rotation;
  if (job_.CopyMode) {
    std::vector<std::string> sources;
    for (const SourceEntry& entry : job_.Sources) sources.push_back(entry.Path());
    rotation = PlanCopyRotation(fs_, job_.Destination, job_.CopiesToKeep, sources);
    CopyFolderName = rotation->new_name + "/";
    newest_copy_ = rotation->newest;
  }
  if (job_.Destination.back() != '/') job_.Destination += '/';

  // Old copies stay until the new ones are complete, so they count as occupied.
  space_.CheckDestinationSpace();
  if (job_.Destination.empty()) {
    // Reported as not ready; nothing is written to a destination that is not there.
    view_.CloseAnimation();
    view_.SetStatusPanel(5, settings_.text(text_id::kError));
    LastEnd = RunEnd::StoppedAtCheck;
    return;
  }
  if (job_.Sources.empty()) return StopAtCheck(text_id::kNoSources);
  // What the prior copies share costs nothing, so it is measured when all would not fit.
  if (InsufficientSpace(job_.SelectedBytes, space_.FreeBytes, space_.DestinationDrive) &&
      InsufficientSpace(BytesToWrite(), space_.FreeBytes, space_.DestinationDrive)) {
    return StopAtCheck(text_id::kNotEnoughSpace);
  }
  if (!CheckSourcesAgainstTargets()) return;
  if (rotation && rotation->new_name.empty()) {
    // All 99 numbers are kept copies: there is no name for a new one.
    Message(text_id::kWrongPath, MessageIcon::Exclamation);
    return ErrorEnd();
  }

  view_.PlayAnimation();
  const int count = static_cast<int>(job_.Sources.size());
  view_.SetProgressMaximum(count);
  view_.SetCopyCursor(true);

  Yielder yielder(*this);
  if (rotation) {
    building_ = NewCopyPath(job_.Destination, rotation->new_name);
    if (FsStatus made = fs_.MakeFolder(building_); !made) {
      building_.clear();
      FsError error = made.error();
      error.path = job_.Destination + rotation->new_name;  // the name the user knows
      if (!Handle(error)) return;
      Report.AddFailure(error.path, error, true);
      return EndWithFailures();
    }
  }
  if (!CopyEntries(yielder)) return;
  if (rotation) {
    // Incomplete: the prior copies stay as they are and no half copy gets a number.
    if (Report.failed > 0) return EndWithFailures();
    if (!Verify(building_, yielder)) return;
    // A copy that differs from its sources is kept for what it holds, but no prior copy
    // makes way for it.
    if (Report.verified.mismatched > 0) rotation->to_delete.clear();
    if (FsStatus done = ApplyCopyRotation(fs_, job_.Destination, *rotation, building_); !done) {
      Report.AddFailure(job_.Destination + rotation->new_name, done.error(), true);
      return EndWithFailures();
    }
    building_.clear();
  } else if (Report.failed == 0 && !Verify(WithoutFinalSlash(job_.Destination), yielder)) {
    return;
  }
  // Every file that was not copied makes the run an error run.
  if (Report.failed > 0) return EndWithFailures();
  if (Report.verified.mismatched > 0) {
    Message(text_id::kCopyDiffers, MessageIcon::Critical);
    return ErrorEnd();
  }

  const LocalDateTime now = clock_.Now();
  job_.LastRunDate = locale_.FormatShortDate(now.date);
  job_.LastRunTime = locale_.FormatTime(now.time);
  SaveJobAfterRun();
  (void)WriteLastCopyRecord(fs_, settings_.program_folder, identity_.JobFileName);

  view_.SetProgressValue(count);
  view_.SetLabelText(Control::Label8, settings_.text(text_id::kFinishedBackup) + " " + NowText());
  view_.SetLabel6Visible(false);
  EndAnimation();
  view_.SetCopyCursor(false);

  if (PowerOffAfterCopy) {
    if (settings_.WindowsVersion >= kPowerOffVersion) power_.EnableShutdownPrivilege();
    view_.UnloadMainWindow();
  }

  ClearReadOnlyInDestination(fs_, job_.Destination);
  view_.SetTimer2Enabled(false);
  view_.SetStatusPanel(
      5, settings_.text(job_.LastRunOutcome == 0 ? text_id::kSuccessful : text_id::kError));
  LastEnd = RunEnd::Normal;
}

bool BackupRun::CopyEntries(Yielder& yielder) {
  const int count = static_cast<int>(job_.Sources.size());
  for (int i = 0; i < count; ++i) {
    const SourceEntry& entry = job_.Sources[static_cast<std::size_t>(i)];
    view_.SetLabelText(Control::Label8, entry.Text());
    view_.SetProgressValue((i + 1) - 0.1);
    const bool go_on =
        entry.IsFolder() ? CopyFolderEntry(entry, yielder) : CopyFileEntry(entry, yielder);
    yielder.EntryDone();
    if (!go_on) return false;
  }
  return true;
}

std::string BackupRun::CopyBase() const {
  return building_.empty() ? job_.Destination : building_ + "/";
}

void BackupRun::Counted(const CopyStats& stats) {
  BytesCopied += stats.bytes + stats.shared_bytes;
  Report.files += stats.files;
  Report.bytes += stats.bytes;
  Report.shared += stats.shared;
  Report.shared_bytes += stats.shared_bytes;
}

std::string BackupRun::SharedFrom(const SourceEntry& entry) const {
  if (!settings_.share_unchanged) return {};
  const std::string name = entry.IsFolder() ? CopyNameOf(entry) : FileNameOf(entry.Path());
  if (!job_.CopyMode) return job_.Destination + name;  // the copy being replaced
  if (newest_copy_.empty()) return {};
  return job_.Destination + newest_copy_ + "/" + name;
}

double BackupRun::BytesToWrite() const {
  double total = job_.SelectedBytes;
  for (const SourceEntry& entry : job_.Sources) {
    const std::string prior = SharedFrom(entry);
    if (prior.empty()) continue;
    if (auto shared = fs_.SharedBytes(entry.Path(), prior)) {
      total -= static_cast<double>(shared.value());
    }
  }
  return total;
}

bool BackupRun::Verify(const std::string& copy, Yielder& yielder) {
  Verification& verified = Report.verified;
  verified.all = settings_.verify_all;
  view_.SetLabelText(Control::Label8, settings_.text(text_id::kVerifyingCopy));
  yielder.counting = false;
  const bool finished = CompareWithSources(fs_, sample_->Chosen(), &yielder, verified);
  yielder.counting = true;
  sample_.reset();
  if (!finished) return Handle(FsError{FsErrorKind::Cancelled, 0, {}});
  CheckCanary(fs_, copy, seed_, verified);
  for (FailedPath& mismatch : verified.mismatches) mismatch.path = FinalPath(mismatch.path);
  return true;
}

void BackupRun::StopAtCheck(int message) {
  Message(message, MessageIcon::Critical);
  view_.CloseAnimation();
  view_.SetStatusPanel(5, settings_.text(text_id::kError));
  LastEnd = RunEnd::StoppedAtCheck;
}

bool BackupRun::CheckSourcesAgainstTargets() {
  const std::string base = job_.Destination + CopyFolderName;
  std::vector<std::string> sources;
  for (const SourceEntry& entry : job_.Sources) sources.push_back(ResolvedPath(fs_, entry.Path()));
  for (std::size_t i = 0; i < job_.Sources.size(); ++i) {
    const SourceEntry& entry = job_.Sources[i];
    const std::string target =
        ResolvedPath(fs_, base + (entry.IsFolder() ? CopyNameOf(entry) : FileNameOf(entry.Path())));
    for (std::size_t k = 0; k < sources.size(); ++k) {
      // A file entry copied onto itself is left alone; any other target that is or holds
      // a source would destroy it when replaced.
      if (k == i && !entry.IsFolder()) continue;
      if (!IsInside(sources[k], target)) continue;
      Message(text_id::kWrongPath, MessageIcon::Exclamation);
      ErrorEnd();
      return false;
    }
  }
  return true;
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
      Message(text_id::kDriveNotReady, MessageIcon::Critical);
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
  const std::string base = CopyBase();
  const std::string name = CopyNameOf(entry);
  const std::string target = base + name;

  // Only a folder (or a link to one) is a previous copy; a file of that name is the user's.
  const bool replace = building_.empty() && fs_.FolderExists(target);
  if (replace) DeletedExisting = true;
  if (!replace && fs_.FileExists(target)) {
    return Failed(source, FsError{FsErrorKind::AlreadyExists, EEXIST, target});
  }

  if (FsStatus ready = WaitForDrive(); !ready) return Handle(ready.error());
  DriveConfirmed = true;

  CopyOptions options;
  options.overwrite = false;  // a new tree: a name met twice is a clash to report
  options.exclude.push_back(WithoutFinalSlash(job_.Destination));
  options.observer = &yielder;
  options.links = &links_;
  options.link_support = &link_support_;
  if (!building_.empty() || replace) options.share_from = SharedFrom(entry);

  // Built beside its place and put there only when complete.
  const std::string fresh = NewCopyPath(base, name);
  if (fs_.FolderExists(fresh) || fs_.FileExists(fresh)) (void)fs_.DeleteTree(fresh, true);
  auto copied = fs_.CopyTree(source, fresh, options);
  if (!copied) {
    (void)fs_.DeleteTree(fresh, true);
    sample_->Dropped(fresh);
    return Failed(source, copied.error()) || Handle(copied.error());
  }
  Counted(copied.value());
  // An incomplete copy never replaces the previous one; with none before, what could be
  // copied is better than nothing, and the files left out are reported.
  if (copied.value().failed > 0 && replace) {
    (void)fs_.DeleteTree(fresh, true);
    sample_->Dropped(fresh);
    return true;
  }
  // Two entries of the same name: the later one takes the place of the earlier one.
  sample_->Dropped(target);
  if (FsStatus placed = PutInPlace(fs_, fresh, WithoutFinalSlash(base), name); !placed) {
    (void)fs_.DeleteTree(fresh, true);
    sample_->Dropped(fresh);
    return Failed(source, placed.error()) || Handle(placed.error());
  }
  links_.Moved(fresh, target);
  sample_->Moved(fresh, target);
  return true;
}

bool BackupRun::CopyFileEntry(const SourceEntry& entry, Yielder& yielder) {
  CopyOptions options;
  options.overwrite = true;
  options.observer = &yielder;
  options.link_support = &link_support_;
  options.share_from = SharedFrom(entry);
  const std::string source = entry.Path();
  auto copied = fs_.CopyFile(source, CopyBase() + FileNameOf(source), options);
  if (!copied) return Failed(source, copied.error()) || Handle(copied.error());
  Counted(copied.value());
  return true;
}

RunErrorContext BackupRun::Context(const FsError& error) const {
  RunErrorContext context;
  context.network_destination = space_.DestinationDrive == kNetworkDrive;
  context.DeletedExisting = DeletedExisting;
  context.DriveConfirmed = DriveConfirmed;
  context.at_destination = error.path.starts_with(job_.Destination);
  if (error.kind == FsErrorKind::PathNotFound) {
    context.destination_missing = !fs_.FolderExists(CopyBase());
  }
  return context;
}

bool BackupRun::Failed(const std::string& source, const FsError& error) {
  const RunErrorContext context = Context(error);
  if (ReactionTo(error, context) != ErrorReaction::Skip) return false;
  Report.AddFailure(source, error, context.at_destination);
  return true;
}

bool BackupRun::Handle(const FsError& error) {
  const RunErrorContext context = Context(error);
  const ErrorReaction reaction = ReactionTo(error, context);
  if (reaction == ErrorReaction::Skip) return true;
  // What ended the run is one of the things not copied.
  if (reaction != ErrorReaction::StoppedEnd && !error.path.empty()) {
    Report.AddFailure(FinalPath(error.path), error, context.at_destination);
  }
  if (int message = MessageFor(reaction)) {
    Message(message,
            reaction == ErrorReaction::DiskFullEnd || reaction == ErrorReaction::NotReadyEnd
                ? MessageIcon::Critical
                : MessageIcon::Exclamation);
  }
  ErrorEnd();
  return false;
}

void BackupRun::EndWithFailures() {
  if (Report.permission_denied) Message(text_id::kPermissionDenied, MessageIcon::Exclamation);
  ErrorEnd();
}

void BackupRun::ErrorEnd() {
  // A copy folder that is not complete never gets its number.
  if (!building_.empty()) (void)fs_.DeleteTree(building_, true);
  building_.clear();
  view_.SetLabelText(Control::Label8, settings_.text(text_id::kBackupError) + " " + NowText());
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
