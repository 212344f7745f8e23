#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <string>
#include <vector>

#include "core/backup_job.hpp"
#include "core/job_editor.hpp"
#include "platform/file_system.hpp"
#include "platform/locale.hpp"
#include "ui/tab_host.hpp"

namespace orvessa {

class Mnemonics;

// The destination tab: choosing the destination folder, creating and erasing a folder,
// and whether the destination's disk is there.
class DestinationTab : public QWidget {
  Q_OBJECT
 public:
  DestinationTab(TabHost& host, FileSystem& fs, const Locale& locale, BackupJob& job,
                 JobEditor& editor);

  void ApplyTexts();  // captions and names for screen readers
  void MarkButtons(Mnemonics& letters);
  void SetTabOrder();
  std::vector<QWidget*> JobCommands() const;
  QLabel* LabelOf(Control label) const;  // its value labels, or null

  // The folder shown is the one worked in.
  std::string Shown() const;
  // The label shows the destination and the job holds it; the run reads the job.
  void SetDestination(const std::string& path);
  // Its free space, or that its disk is not there; `tell`: a message for the latter.
  void ShowDestinationState(bool tell);
  void ShowFreeSpace(const QString& text) { Label7->setText(text); }
  QString FreeSpaceText() const { return Label7->text(); }
  void HideState() { lblDestinationState->hide(); }
  // A destination reported as not ready is forgotten, and its state with it.
  void Forget();

 signals:
  // No free space to show for the destination (none chosen, or on the network).
  void FreeSpaceUnknown();

 private:
  void cmdDestino_Click();
  void cmdCreaDirectorio_Click();
  void cmdBorraDir_Click();
  bool FolderCommandRefused(const FolderCommand& command);

  TabHost& host_;
  FileSystem& fs_;
  const Locale& locale_;
  BackupJob& job_;
  JobEditor& editor_;

  QGroupBox* Frame3;
  QPushButton* cmdDestino;
  QLabel* Label5;
  QLabel* Label3;
  QLabel* Label7;
  QLabel* lblDestinationState;  // shown while the destination's disk is not there
  QLabel* Label10;
  QLineEdit* txtDir;
  QPushButton* cmdCreaDirectorio;
  QPushButton* cmdBorraDir;
};

}  // namespace orvessa
