#include "core/backup_run.hpp"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <optional>
#include <random>

#include "core/destination_disks.hpp"
#include "core/temporary_copies.hpp"
#include "i18n/text_ids.hpp"

namespace orvessa {
namespace {

constexpr std::chrono::seconds kPoll{2};  // between two looks at a drive or a lock

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

// Tells how the copy goes and carries a stop request into it.
class BackupRun::Yielder : public CopyObserver {
 public:
  Yielder(BackupRun& run) : run_(run) {}

  // Off while the copy is compared with its sources: those bytes are not copied ones.
  bool counting = true;
  // On while files are taken from an older copy: neither copied today nor compared.
  bool carrying = false;

  bool Continue(std::uint64_t bytes_copied) override {
    if (counting) run_.ShowProgress(bytes_copied, files_, current_);
    return !run_.Stopped();
  }

  bool Skip(const std::string& source, const FsError& error) override {
    // What an older copy cannot give stays missing; it is listed already.
    return carrying || run_.Failed(source, error);
  }

  void Starting(const std::string& source) override { current_ = source; }

  void Placed(const PlacedFile& file) override {
    if (carrying) return;
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

BackupRun::BackupRun(const RunServices& services, RunEvents& events, RunSettings settings,
                     BackupJob job)
    : fs_(services.fs),
      copier_(services.copier),
      clock_(services.clock),
      locale_(services.locale),
      time_(services.time),
      events_(events),
      settings_(std::move(settings)),
      job_(std::move(job)) {}

RunResult BackupRun::Run(std::stop_token stop) {
  stop_ = std::move(stop);
  const auto started = time_.Now();
  Steps();
  result_.report.elapsed =
      std::chrono::duration_cast<std::chrono::milliseconds>(time_.Now() - started);
  result_.outcome = job_.LastRunOutcome;
  result_.date = job_.LastRunDate;
  result_.time = job_.LastRunTime;
  result_.destination = job_.Destination;
  result_.stopped = result_.end == RunEnd::Error && Stopped();
  return std::move(result_);
}

void BackupRun::Message(int number, MessageIcon icon) {
  result_.last_message = number;
  events_.Notice(number, icon);
}

void BackupRun::ShowProgress(std::uint64_t bytes_copied, std::uint64_t files,
                             const std::string& current) {
  RunProgress progress;
  progress.entry = static_cast<int>(entry_) + 1;
  progress.entries = entries_;
  progress.bytes = BytesCopied + bytes_copied;
  progress.selected_bytes = job_.SelectedBytes;
  progress.files = result_.report.files + files;
  progress.current = current;
  events_.Progress(progress);
}

bool BackupRun::Pause() { return time_.Wait(kPoll, stop_) && !Stopped(); }

std::string BackupRun::NowText() const {
  const LocalDateTime now = clock_.Now();
  return locale_.FormatShortDate(now.date) + " " + locale_.FormatTime(now.time);
}

void BackupRun::Steps() {
  job_.LastRunOutcome = 0;
  seed_ = settings_.seed;
  if (seed_ == 0) seed_ = (std::uint64_t{std::random_device{}()} << 32) | std::random_device{}();
  sample_ = std::make_unique<CopySample>(settings_.verify_all, seed_);
  if (job_.Destination.empty()) {
    Message(text_id::kNoDestination, MessageIcon::Critical);
    result_.end = RunEnd::StoppedAtCheck;
    return;
  }
  // A disk that is not there (or whose bare mount point is left) is reported before
  // anything at the destination is looked at, cleaned or locked.
  if (!MeasureDestination(true)) return;

  std::shared_ptr<FolderLock> lock;
  if (!LockDestination(lock)) return;
  // What a run cut off (killed, powered off) left under the engine's own names.
  std::vector<std::string> names;
  for (const SourceEntry& entry : job_.Sources) {
    names.push_back(entry.IsFolder() ? CopyNameOf(entry) : FileNameOf(entry.Path()));
  }
  RemoveLeftovers(fs_, job_.Destination, names);

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
  if (!MeasureDestination(false)) return;
  if (job_.Sources.empty()) return StopAtCheck(text_id::kNoSources);
  if (settings_.measure_selection) {
    job_.SelectedBytes = 0;
    for (const SourceEntry& entry : job_.Sources)
      job_.SelectedBytes += EntryBytes(fs_, entry, stop_);
  }
  // What the prior copies share costs nothing, so it is measured when all would not fit.
  if (InsufficientSpace(job_.SelectedBytes, FreeBytes, DestinationDrive) &&
      InsufficientSpace(BytesToWrite(), FreeBytes, DestinationDrive)) {
    return StopAtCheck(text_id::kNotEnoughSpace);
  }
  if (!CheckSourcesAgainstTargets()) return;
  if (rotation && rotation->new_name.empty()) {
    // All 99 numbers are kept copies: there is no name for a new one.
    Message(text_id::kWrongPath, MessageIcon::Exclamation);
    return ErrorEnd();
  }

  entries_ = static_cast<int>(job_.Sources.size());
  events_.Copying(entries_);
  if (rotation) result_.copy_folder = rotation->new_name;

  Yielder yielder(*this);
  if (rotation) {
    building_ = NewCopyPath(job_.Destination, rotation->new_name);
    if (FsStatus made = fs_.MakeFolder(building_); !made) {
      building_.clear();
      FsError error = made.error();
      error.path = job_.Destination + rotation->new_name;  // the name the user knows
      if (!Handle(error)) return;
      result_.report.AddFailure(error.path, error, true);
      return EndWithFailures();
    }
  }
  if (!CopyEntries(yielder) || !CarryOver(yielder)) return;
  if (!building_.empty() && !missed_.empty()) {
    std::vector<MissedPath> missed;
    for (const Missed& m : missed_) missed.push_back(m.path);
    FsStatus listed = fs_.WriteNewFile(building_ + "/" + kMissingListName, MissingListText(missed));
    if (!listed && !Handle(listed.error())) return;
  }
  canary_ = WriteCanary(fs_, building_.empty() ? WithoutFinalSlash(job_.Destination) : building_,
                        seed_, result_.report.verified);
  if (!SyncCopy() || !Verify(yielder) || !PlaceCopies(rotation)) return;

  // Every file that was not copied makes the run an error run.
  if (result_.report.failed > 0) return EndWithFailures();
  if (result_.report.verified.mismatched > 0) {
    Message(text_id::kCopyDiffers, MessageIcon::Critical);
    return ErrorEnd();
  }

  const LocalDateTime now = clock_.Now();
  job_.LastRunDate = locale_.FormatShortDate(now.date);
  job_.LastRunTime = locale_.FormatTime(now.time);
  events_.Line(settings_.text(text_id::kFinishedBackup) + " " + NowText());
  result_.end = RunEnd::Normal;
}

bool BackupRun::CopyEntries(Yielder& yielder) {
  const int count = static_cast<int>(job_.Sources.size());
  for (int i = 0; i < count; ++i) {
    entry_ = static_cast<std::size_t>(i);
    const SourceEntry& entry = job_.Sources[entry_];
    events_.Entry(i, entry.Text());
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

std::string BackupRun::ShownPath(const std::string& path) const {
  for (const Pending& pending : pending_) {
    if (IsInside(path, pending.fresh)) {
      return ShownPath(pending.folder + "/" + pending.name + path.substr(pending.fresh.size()));
    }
  }
  if (!building_.empty() && IsInside(path, building_)) {
    return job_.Destination + CopyFolderName.substr(0, CopyFolderName.size() - 1) +
           path.substr(building_.size());
  }
  return path;
}

void BackupRun::DropPending(const std::string& fresh) {
  (void)fs_.DeleteTree(fresh, true);
  if (sample_) sample_->Dropped(fresh);
  std::erase_if(pending_, [&](const Pending& pending) { return pending.fresh == fresh; });
}

void BackupRun::Counted(const CopyStats& stats) {
  BytesCopied += stats.bytes + stats.shared_bytes;
  result_.report.files += stats.files;
  result_.report.bytes += stats.bytes;
  result_.report.shared += stats.shared;
  result_.report.shared_bytes += stats.shared_bytes;
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
    if (auto shared = copier_.SharedBytes(entry.Path(), prior)) {
      total -= static_cast<double>(shared.value());
    }
  }
  return total;
}

bool BackupRun::CarryOver(Yielder& yielder) {
  yielder.counting = false;
  yielder.carrying = true;
  bool go_on = true;
  for (Missed& missed : missed_) {
    if (!(go_on = CarryOver(missed, yielder))) break;
  }
  yielder.counting = true;
  yielder.carrying = false;
  return go_on;
}

// The newest older copy of a file that could not be copied takes its place in the new
// copy, as a further name of it where the destination takes links: the new copy is never
// poorer than the last.
bool BackupRun::CarryOver(Missed& missed, Yielder& yielder) {
  const SourceEntry& entry = job_.Sources[missed.entry];
  const std::string name = entry.IsFolder() ? CopyNameOf(entry) : FileNameOf(entry.Path());
  const std::string below = missed.relative.empty() ? std::string() : "/" + missed.relative;
  const bool keep_mode = !building_.empty();
  if (keep_mode && newest_copy_.empty()) return true;
  const std::string older =
      job_.Destination + (keep_mode ? newest_copy_ + "/" : std::string()) + name + below;
  const bool older_folder = fs_.FolderExists(older) && !fs_.FileExists(older);
  if (!older_folder && !fs_.FileExists(older)) return true;

  std::string into;
  const std::string base = keep_mode ? building_ : WithoutFinalSlash(job_.Destination);
  auto pending = std::find_if(pending_.begin(), pending_.end(),
                              [&](const Pending& p) { return p.folder == base && p.name == name; });
  if (pending != pending_.end()) {
    into = pending->fresh + below;
  } else if (!below.empty()) {
    return true;  // the entry's copy itself is gone
  } else if (!keep_mode) {
    // An entry with no new copy leaves its previous one where it is.
    if (entry.IsFolder() != older_folder) return true;
    missed.path.carried = true;
    result_.report.AddCarried({}, 1);
    return true;
  } else if (entry.IsFolder()) {
    into = NewCopyPath(building_, name);
  } else {
    into = building_ + "/" + name;
  }
  // A folder copied in part today keeps what it got.
  if (fs_.FolderExists(into) || fs_.FileExists(into)) return true;

  CopyOptions options;
  options.overwrite = false;
  options.link_files = true;
  options.observer = &yielder;
  options.link_support = &link_support_;
  auto carried = older_folder ? copier_.CopyTree(older, into, options)
                              : copier_.CopyFile(older, into, options);
  if (!carried) {
    if (older_folder) (void)fs_.DeleteTree(into, true);
    FsError error = carried.error();
    if (ReactionTo(error, Context(error)) != ErrorReaction::Skip) return Handle(error);
    return true;
  }
  if (keep_mode && entry.IsFolder() && pending == pending_.end()) {
    pending_.push_back({into, building_, name});
  }
  missed.path.carried = true;
  missed.path.carried_from = keep_mode ? newest_copy_ : std::string();
  result_.report.AddCarried(missed.path.carried_from, 1);
  return true;
}

bool BackupRun::SyncCopy() {
  const std::string destination = WithoutFinalSlash(job_.Destination);
  if (FsStatus synced = fs_.SyncFileSystem(destination); !synced) {
    // Writes the disk (or a server) did not take: nothing of this copy can be trusted.
    FsError error = synced.error();
    error.path = destination;
    RunErrorContext context = Context(error);
    context.at_destination = true;
    result_.report.AddFailure(destination, error, true);
    const int message = MessageFor(ReactionTo(error, context));
    Message(message != 0 ? message : text_id::kDriveNotReady, MessageIcon::Critical);
    ErrorEnd();
    return false;
  }
  DriveInfo drive = fs_.GetDrive(destination);
  if (drive.ready) (void)RememberMount(fs_, settings_.state_folder, destination, drive.mount_point);
  return true;
}

bool BackupRun::PlaceCopies(std::optional<CopyRotation>& rotation) {
  const std::string destination = WithoutFinalSlash(job_.Destination);
  std::vector<Pending> parked;
  const std::vector<Pending> pending = pending_;
  for (const Pending& copy : pending) {
    auto swapped = SwapIn(fs_, copy.fresh, copy.folder, copy.name);
    if (!swapped) {
      (void)fs_.DeleteTree(copy.fresh, true);
      result_.report.AddFailure(ShownPath(copy.fresh), swapped.error(), true);
    } else if (swapped.value()) {
      // Inside a copy folder not yet numbered nothing needs to wait for a sync.
      if (copy.folder == building_) {
        (void)DeleteParked(fs_, copy.folder, copy.name);
      } else {
        parked.push_back(copy);
      }
    }
    std::erase_if(pending_, [&](const Pending& p) { return p.fresh == copy.fresh; });
  }
  std::string numbered;
  if (rotation) {
    // A copy that differs from its sources is kept for what it holds, but no prior copy
    // makes way for it; one that misses files keeps the newest copy that missed none.
    if (result_.report.verified.mismatched > 0) {
      rotation->to_delete.clear();
    } else if (result_.report.failed > 0) {
      KeepNewestCompleteCopy(fs_, job_.Destination, *rotation);
    }
    if (FsStatus placed = PlaceNewCopy(fs_, job_.Destination, *rotation, building_); !placed) {
      result_.report.AddFailure(job_.Destination + rotation->new_name, placed.error(), true);
      EndWithFailures();
      return false;
    }
    building_.clear();
    numbered = job_.Destination + rotation->new_name;
  }
  // The new names are made durable before anything they replace is deleted.
  FsStatus synced = numbered.empty() ? FsStatus(FsOk{}) : fs_.SyncFolder(numbered);
  if (synced) synced = fs_.SyncFolder(destination);
  if (!synced) {
    result_.report.AddFailure(destination, synced.error(), true);
    Message(text_id::kDriveNotReady, MessageIcon::Critical);
    ErrorEnd();
    return false;
  }
  for (const Pending& copy : parked) (void)DeleteParked(fs_, copy.folder, copy.name);
  if (rotation) {
    DeleteRotatedCopies(fs_, job_.Destination, *rotation);
    return true;
  }
  // In overwrite mode the destination's top is the copy's: its list says what it misses.
  const std::string list = job_.Destination + kMissingListName;
  if (missed_.empty()) {
    if (fs_.FileExists(list)) (void)fs_.DeleteTree(list, true);
    return true;
  }
  std::vector<MissedPath> missed;
  for (const Missed& m : missed_) missed.push_back(m.path);
  (void)fs_.WriteFileAtomic(list, MissingListText(missed));
  return true;
}

bool BackupRun::Verify(Yielder& yielder) {
  Verification& verified = result_.report.verified;
  verified.all = settings_.verify_all;
  // A copy that misses files ends in error anyway; it is checked without a word.
  if (result_.report.failed == 0) {
    events_.Line(settings_.text(text_id::kVerifyingCopy));
  }
  yielder.counting = false;
  const bool finished =
      CompareWithSources(fs_, copier_, sample_->Chosen(), &yielder, verified,
                         settings_.verify_all ? 0 : ComparisonBudget(result_.report.bytes), seed_);
  yielder.counting = true;
  sample_.reset();
  if (!finished) return Handle(FsError{FsErrorKind::Cancelled, 0, {}});
  CheckCanary(fs_, canary_, verified);
  canary_ = {};
  for (FailedPath& mismatch : verified.mismatches) mismatch.path = ShownPath(mismatch.path);
  return true;
}

bool BackupRun::MeasureDestination(bool first) {
  const DestinationSpace space =
      MeasureDestinationSpace(fs_, job_.Destination, settings_.state_folder);
  DestinationDrive = space.drive;
  FreeBytes = space.free_bytes;
  if (space.ready) {
    if (first) events_.Measured(FreeBytes, DestinationDrive);
    return true;
  }
  // Reported as not ready and forgotten; nothing is written to a destination that is not
  // there.
  Message(text_id::kDriveNotReady, MessageIcon::Critical);
  job_.Destination.clear();
  result_.end = RunEnd::StoppedAtCheck;
  return false;
}

void BackupRun::StopAtCheck(int message) {
  Message(message, MessageIcon::Critical);
  result_.end = RunEnd::StoppedAtCheck;
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
    if (!Pause()) return FsError{FsErrorKind::Cancelled, 0, destination};
    if (!fs_.FolderExists(destination))
      return FsError{FsErrorKind::PathNotFound, ENOENT, destination};
    if (DestinationReady(fs_, settings_.state_folder, destination)) return FsOk{};
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
    if (!Pause()) {
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

  // Built beside its place and put there once the whole copy is on the disk. Two entries
  // of the same name: the later one takes the place of the earlier one.
  const std::string fresh = NewCopyPath(base, name);
  DropPending(fresh);
  auto copied = copier_.CopyTree(source, fresh, options);
  if (!copied) {
    DropPending(fresh);
    return Failed(source, copied.error()) || Handle(copied.error());
  }
  Counted(copied.value());
  pending_.push_back({fresh, WithoutFinalSlash(base), name});
  return true;
}

bool BackupRun::CopyFileEntry(const SourceEntry& entry, Yielder& yielder) {
  const std::string source = entry.Path();
  const std::string name = FileNameOf(source);
  CopyOptions options;
  options.observer = &yielder;
  options.link_support = &link_support_;
  options.share_from = SharedFrom(entry);
  if (!building_.empty()) {
    // In a copy folder being built the file takes its name at once, nothing being in its
    // way but an earlier entry of the same name, which gives way.
    const std::string target = CopyBase() + name;
    if (fs_.FileExists(target)) (void)fs_.DeleteTree(target, true);
    options.overwrite = false;
    auto copied = copier_.CopyFile(source, target, options);
    if (!copied) return Failed(source, copied.error()) || Handle(copied.error());
    Counted(copied.value());
    return true;
  }
  // A file entry whose copy is the file itself stays as it is.
  const std::string target = job_.Destination + name;
  if (ResolvedPath(fs_, target) == ResolvedPath(fs_, source)) return true;
  const std::string fresh = NewCopyPath(WithoutFinalSlash(job_.Destination), name);
  DropPending(fresh);
  options.overwrite = false;
  auto copied = copier_.CopyFile(source, fresh, options);
  if (!copied) {
    DropPending(fresh);
    return Failed(source, copied.error()) || Handle(copied.error());
  }
  Counted(copied.value());
  pending_.push_back({fresh, WithoutFinalSlash(job_.Destination), name});
  return true;
}

RunErrorContext BackupRun::Context(const FsError& error) const {
  RunErrorContext context;
  context.network_destination = DestinationDrive == kNetworkDrive;
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
  result_.report.AddFailure(source, error, context.at_destination);
  Missed missed;
  missed.entry = entry_;
  const std::string entry = job_.Sources[entry_].Path();
  if (entry == "/") {
    missed.relative = source.substr(1);
  } else if (source.size() > entry.size() && IsInside(source, entry)) {
    missed.relative = source.substr(entry.size() + 1);
  }
  missed.path.source = source;
  missed.path.reason = ReasonInWords(error, context.at_destination);
  missed_.push_back(std::move(missed));
  return true;
}

bool BackupRun::Handle(const FsError& error) {
  const RunErrorContext context = Context(error);
  const ErrorReaction reaction = ReactionTo(error, context);
  if (reaction == ErrorReaction::Skip) return true;
  // What ended the run is one of the things not copied.
  if (reaction != ErrorReaction::StoppedEnd && !error.path.empty()) {
    result_.report.AddFailure(ShownPath(error.path), error, context.at_destination);
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
  if (result_.report.permission_denied)
    Message(text_id::kPermissionDenied, MessageIcon::Exclamation);
  ErrorEnd();
}

void BackupRun::ErrorEnd() {
  // A copy folder that is not complete never gets its number, nor does a copy not yet in
  // place replace anything.
  if (!building_.empty()) (void)fs_.DeleteTree(building_, true);
  for (const Pending& copy : pending_) (void)fs_.DeleteTree(copy.fresh, true);
  if (canary_.written) (void)fs_.DeleteTree(canary_.path, true);
  building_.clear();
  pending_.clear();
  canary_ = {};
  events_.Line(settings_.text(text_id::kBackupError) + " " + NowText());
  job_.LastRunOutcome = 1;
  result_.end = RunEnd::Error;
}

}  // namespace orvessa
