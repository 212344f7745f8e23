#pragma once

#include <QObject>
#include <QWidget>
#include <string>

#include "core/backup_job.hpp"
#include "core/job_file_reader.hpp"
#include "ui/copy_tab.hpp"
#include "ui/destination_tab.hpp"
#include "ui/form2_services.hpp"
#include "ui/source_tab.hpp"
#include "ui/status_panels.hpp"

namespace orvessa {

class RunSession;

// What the job files fill in or read of the window.
struct JobParts {
  QWidget& window;  // the dialogs' parent
  SourceTab& source;
  DestinationTab& destination;
  CopyTab& copy;
  RunSession& session;
  StatusPanels& status;
};

// Opening and saving job files, and the start-up restore of the last job.
class JobFiles : public QObject {
  Q_OBJECT
 public:
  JobFiles(const Form2Services& services, const Form2Folders& folders, JobParts parts,
           BackupJob& job, JobFileIdentity& identity, QObject* parent);

  void Open();
  void Save();
  // Start-up restore of the last job, or a job file opened by the user.
  void Load(const std::string& path, bool restore);
  // Brings back the job of the last successful run, when its file is still there.
  void RestoreLast();

 private:
  void ShowNeeded();

  FileSystem& fs_;
  const Clock& clock_;
  const Locale& locale_;
  const Form2Folders& folders_;
  JobParts parts_;
  BackupJob& job_;
  JobFileIdentity& identity_;
};

}  // namespace orvessa
