#include "ui/job_files.hpp"

#include <cstring>

#include "core/box_number.hpp"
#include "core/job_file_writer.hpp"
#include "core/run_records.hpp"
#include "core/space_accounting.hpp"
#include "i18n/string_table.hpp"
#include "i18n/text_ids.hpp"
#include "ui/dialogs.hpp"
#include "ui/form2_tables.hpp"
#include "ui/qt_text.hpp"
#include "ui/run_session.hpp"

namespace orvessa {
namespace {

const QString kOpenFilter = QStringLiteral("Orvessa (*.cop)|*.cop|(*.*)|*.*");
const QString kSaveFilter =
    QStringLiteral("Ficheros Orvessa (*.cop)|*.cop|Todos los ficheros (*.*)|*.*");

// The system's own words for why a file could not be read or written.
QString Problem(const std::string& path, int errnum) {
  return Q(path) + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errnum));
}

// Line of the unit list for a stored unit: its word, or the caption of a line in any
// of the languages (files saved by older versions hold captions); -1 for neither.
int UnitLine(const std::string& unit) {
  static constexpr int kUnitCaptions[3] = {text_id::kDays, text_id::kWeeks, text_id::kMonths};
  for (int line = 0; line < 3; ++line) {
    if (unit == form2::kUnits[line]) return line;
    for (int base : {kSpanishBase, kEnglishBase, kGermanBase, kFrenchBase}) {
      if (unit == LoadText(base, kUnitCaptions[line])) return line;
    }
  }
  return -1;
}

}  // namespace

JobFiles::JobFiles(const Form2Services& services, const Form2Folders& folders, JobParts parts,
                   BackupJob& job, JobFileIdentity& identity, QObject* parent)
    : QObject(parent),
      fs_(services.fs),
      clock_(services.clock),
      locale_(services.locale),
      folders_(folders),
      parts_(parts),
      job_(job),
      identity_(identity) {
  setObjectName(QStringLiteral("JobFiles"));
}

void JobFiles::Open() {
  if (parts_.session.Running()) return;
  job_.Destination = parts_.destination.Shown();
  (void)fs_.MakeFolders(folders_.program_folder);
  const std::string path =
      S(Dialogs::OpenFileName(&parts_.window, Q(folders_.program_folder), ToQtFilter(kOpenFilter)));
  if (path.empty()) return;
  // A file that cannot be read would otherwise reset the whole job to nothing.
  if (auto probe = fs_.ReadFile(path, 1); !probe || fs_.FolderExists(path)) {
    Dialogs::Message(&parts_.window, Problem(path, probe ? EISDIR : probe.error().errnum),
                     MessageIcon::Critical);
    return;
  }
  identity_ = JobFileIdentity::FromPath(path);
  parts_.status.Show(1, Q(identity_.JobFileName));
  Load(path, false);
}

void JobFiles::Save() {
  if (parts_.session.Running()) return;
  job_.Destination = parts_.destination.Shown();
  (void)fs_.MakeFolders(folders_.program_folder);
  const std::string path =
      S(Dialogs::SaveFileName(&parts_.window, Q(folders_.program_folder), ToQtFilter(kSaveFilter)));
  if (path.empty()) return;
  const JobFileIdentity before = identity_;
  identity_ = JobFileIdentity::FromPath(path);
  parts_.status.Show(1, Q(identity_.JobFileName));
  if (FsStatus saved = SaveJob(fs_, path, job_, clock_, locale_); !saved) {
    // Nothing was written (the previous file is intact), so the job keeps its old name.
    identity_ = before;
    parts_.status.Show(1, Q(identity_.JobFileName));
    Dialogs::Message(&parts_.window, Problem(path, saved.error().errnum), MessageIcon::Critical);
  }
}

void JobFiles::Load(const std::string& path, bool restore) {
  const LoadedJob loaded =
      orvessa::LoadJob(fs_, path, restore ? LoadMode::Restore : LoadMode::Open);

  if (loaded.LastRunTime) job_.LastRunTime = *loaded.LastRunTime;
  if (loaded.LastRunDate) job_.LastRunDate = *loaded.LastRunDate;
  parts_.status.Show(3, Q(job_.LastRunDate + "  " + job_.LastRunTime + " "));
  if (loaded.Destination) {
    parts_.destination.SetDestination(*loaded.Destination);
    parts_.status.Show(2, Q(job_.Destination));
    parts_.destination.ShowDestinationState(false);
  }

  ScheduleForm& schedule = parts_.copy.Schedule();
  // The run copies by the keep-prior-copies flag alone, so the options show that flag.
  if (loaded.CopyMode) {
    schedule.optIncremental_Click();
  } else {
    schedule.optTodo_Click();
  }
  // The boxes first, so that choosing the every-N option takes their values.
  if (loaded.CopiesToKeep) schedule.LoadCopies(*loaded.CopiesToKeep);
  if (loaded.IntervalCount) schedule.LoadInterval(*loaded.IntervalCount);
  if (loaded.IntervalUnit) {
    schedule.LoadUnit(*loaded.IntervalUnit, UnitLine(*loaded.IntervalUnit));
  }
  schedule.LoadTime(loaded.CopyHour, loaded.CopyMinute);
  schedule.ApplyLoadedSchedule(loaded.ManualOnly, loaded.EveryN, loaded.CopyAtShutdown);
  parts_.copy.RenderSchedule();
  if (loaded.LastRunOutcome == 0 || loaded.LastRunOutcome == 1) {
    job_.LastRunOutcome = *loaded.LastRunOutcome;
    parts_.status.ShowOutcome(job_.LastRunOutcome == 0 ? StatusPanels::Outcome::Successful
                                                       : StatusPanels::Outcome::Error);
  } else if (loaded.LastRunOutcome) {
    job_.LastRunOutcome = *loaded.LastRunOutcome;
  }

  parts_.source.LoadSources(loaded.Sources, restore);
  ShowNeeded();
}

void JobFiles::RestoreLast() {
  const std::string path = ReadLastCopyRecord(fs_, folders_.program_folder);
  // Only a full path: a bare name would depend on the folder the program was started in.
  if (!path.empty() && path.front() == '/') {
    identity_ = JobFileIdentity::FromPath(path);
    if (fs_.FileExists(path)) {
      parts_.status.Show(1, Q(identity_.JobFileName));
      Load(path, true);
    }
  }
  ShowNeeded();
}

void JobFiles::ShowNeeded() {
  const QString needed = Q(FormatKilobytes(job_.SelectedBytes, locale_));
  parts_.source.ShowNeeded(needed);
  parts_.copy.ShowNeeded(needed);
}

}  // namespace orvessa
