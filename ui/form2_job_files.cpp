// Opening and saving job files.
#include <cstring>

#include "core/box_number.hpp"
#include "core/job_file_reader.hpp"
#include "core/job_file_writer.hpp"
#include "ui/dialogs.hpp"
#include "ui/form2.hpp"
#include "ui/form2_tables.hpp"
#include "ui/qt_text.hpp"

namespace orvessa {
namespace {

const QString kOpenFilter = QStringLiteral("Orvessa (*.cop)|*.cop|(*.*)|*.*");
const QString kSaveFilter =
    QStringLiteral("Ficheros Orvessa (*.cop)|*.cop|Todos los ficheros (*.*)|*.*");

// The system's own words for why a file could not be read or written.
QString Problem(const std::string& path, int errnum) {
  return Q(path) + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errnum));
}

}  // namespace

void Form2::mnuAbreTrab_Click() {
  job_.Destination = S(Label5->text());
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
  job_.Destination = S(Label5->text());
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
    job_.Destination = *loaded.Destination;
    Label5->setText(Q(job_.Destination));
    Panel[2]->setText(Q(job_.Destination));
  }

  if (loaded.OverwriteAll) {
    optTodo_Click();
  } else {
    job_.OverwriteAll = false;
  }
  if (loaded.CopyMode) {
    optIncremental_Click();
  } else {
    job_.CopyMode = false;
  }
  if (loaded.CopiesToKeep) {
    job_.CopiesToKeep = *loaded.CopiesToKeep;
    txtNcopias->setText(Q(BoxText(job_.CopiesToKeep)));
  }
  if (loaded.ManualOnly) {
    optManual_Click();
  } else {
    job_.ManualOnly = false;
  }
  if (loaded.EveryN) {
    OptCada_Click();
  } else {
    job_.EveryN = false;
  }
  if (loaded.CopyAtShutdown) {
    job_.CopyAtShutdown = true;
    SetCheckByCode(chkApaga, true);
    SetCheckByCode(chkHoraGraba, false);
  } else {
    job_.CopyAtShutdown = false;
    SetCheckByCode(chkApaga, false);
    SetCheckByCode(chkHoraGraba, true);
  }
  if (restore) {
    if (chkApaga->isChecked()) {
      chkApaga_Click();
    } else {
      chkHoraGraba_Click();
    }
  }
  if (loaded.IntervalCount) {
    job_.IntervalCount = *loaded.IntervalCount;
    txtNumDSM->setText(Q(BoxText(job_.IntervalCount)));
  }
  if (loaded.IntervalUnit) {
    job_.IntervalUnit = *loaded.IntervalUnit;
    int line = -1;
    for (int i = 0; i < 3; ++i) {
      if (job_.IntervalUnit == form2::kUnits[i] || Q(job_.IntervalUnit) == cboDSM->itemText(i))
        line = i;
    }
    cboDSM->setCurrentIndex(line);
  }
  if (loaded.CopyHour) txtHora->setText(Q(BoxText(*loaded.CopyHour)));
  if (loaded.CopyMinute) txtMinutos->setText(Q(BoxText(*loaded.CopyMinute)));
  if (loaded.LastRunOutcome) {
    job_.LastRunOutcome = *loaded.LastRunOutcome;
    ShowLastOutcome();
  }

  if (!restore) CmdQuitarTodos_Click();
  for (const SourceEntry& entry : loaded.Sources) {
    AppendSource(entry);
    if (entry.IsFolder()) {
      std::string text = entry.Text();
      space_.AddFolderSize(text);
    } else {
      space_.AddFileSize(entry.Text());
    }
  }
  if (!restore) FitListWidth(List1);
  const QString needed = Q(FormatKilobytes(job_.SelectedBytes, locale_));
  Label9->setText(needed);
  Label19->setText(needed);
}

}  // namespace orvessa
