// Opening and saving job files.
#include <cstring>

#include "core/box_number.hpp"
#include "core/job_file_reader.hpp"
#include "core/job_file_writer.hpp"
#include "i18n/string_table.hpp"
#include "i18n/text_ids.hpp"
#include "ui/dialogs.hpp"
#include "ui/form2.hpp"
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

void Form2::mnuAbreTrab_Click() {
  if (RunInProgress()) return;
  job_.Destination = destination_->Shown();
  (void)fs_.MakeFolders(folders_.program_folder);
  const std::string path =
      S(Dialogs::OpenFileName(this, Q(folders_.program_folder), ToQtFilter(kOpenFilter)));
  if (path.empty()) return;
  // A file that cannot be read would otherwise reset the whole job to nothing.
  if (auto probe = fs_.ReadFile(path, 1); !probe || fs_.FolderExists(path)) {
    Dialogs::Message(this, Problem(path, probe ? EISDIR : probe.error().errnum),
                     MessageIcon::Critical);
    return;
  }
  identity_ = JobFileIdentity::FromPath(path);
  Panel[1]->setText(Q(identity_.JobFileName));
  LoadJob(path, false);
}

void Form2::cmdGuardar_Click() {
  if (RunInProgress()) return;
  job_.Destination = destination_->Shown();
  (void)fs_.MakeFolders(folders_.program_folder);
  const std::string path =
      S(Dialogs::SaveFileName(this, Q(folders_.program_folder), ToQtFilter(kSaveFilter)));
  if (path.empty()) return;
  const JobFileIdentity before = identity_;
  identity_ = JobFileIdentity::FromPath(path);
  Panel[1]->setText(Q(identity_.JobFileName));
  if (FsStatus saved = SaveJob(fs_, path, job_, clock_, locale_); !saved) {
    // Nothing was written (the previous file is intact), so the job keeps its old name.
    identity_ = before;
    Panel[1]->setText(Q(identity_.JobFileName));
    Dialogs::Message(this, Problem(path, saved.error().errnum), MessageIcon::Critical);
  }
}

void Form2::LoadJob(const std::string& path, bool restore) {
  const LoadedJob loaded =
      orvessa::LoadJob(fs_, path, restore ? LoadMode::Restore : LoadMode::Open);

  if (loaded.LastRunTime) job_.LastRunTime = *loaded.LastRunTime;
  if (loaded.LastRunDate) job_.LastRunDate = *loaded.LastRunDate;
  Panel[3]->setText(Q(job_.LastRunDate + "  " + job_.LastRunTime + " "));
  if (loaded.Destination) {
    destination_->SetDestination(*loaded.Destination);
    Panel[2]->setText(Q(job_.Destination));
    destination_->ShowDestinationState(false);
  }

  ScheduleForm& schedule = copy_->Schedule();
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
  copy_->RenderSchedule();
  if (loaded.LastRunOutcome == 0 || loaded.LastRunOutcome == 1) {
    job_.LastRunOutcome = *loaded.LastRunOutcome;
    session_->ShowLoadedOutcome(job_.LastRunOutcome == 0);
  } else if (loaded.LastRunOutcome) {
    job_.LastRunOutcome = *loaded.LastRunOutcome;
  }

  source_->LoadSources(loaded.Sources, restore);
  const QString needed = Q(FormatKilobytes(job_.SelectedBytes, locale_));
  source_->ShowNeeded(needed);
  copy_->ShowNeeded(needed);
}

}  // namespace orvessa
