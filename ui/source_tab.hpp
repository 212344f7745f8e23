#pragma once

#include <QCheckBox>
#include <QPushButton>
#include <map>
#include <string>
#include <vector>

#include "core/backup_job.hpp"
#include "core/job_editor.hpp"
#include "platform/file_system.hpp"
#include "platform/locale.hpp"
#include "ui/drive_list.hpp"
#include "ui/file_list.hpp"
#include "ui/folder_list.hpp"
#include "ui/tab_host.hpp"

namespace orvessa {

class Measurer;
class Mnemonics;

// The source tab: browsing drives, folders and files, and the selection list, whose sizes
// are measured off the window's thread.
class SourceTab : public QWidget {
  Q_OBJECT
 public:
  SourceTab(TabHost& host, FileSystem& fs, const Locale& locale, BackupJob& job, JobEditor& editor,
            SpaceAccounting& space, Measurer& measurer);

  // The browser opens on this folder, with the file toggles applied.
  void Start(const std::string& start_folder);
  void ApplyTexts();  // captions and names for screen readers
  void FillFilters();
  void MarkButtons(Mnemonics& letters);
  void SetTabOrder();
  std::vector<QWidget*> JobCommands() const;
  QLabel* LabelOf(Control label) const;  // its value label, or null
  QString NeededText() const { return Label9->text(); }
  void ShowNeeded(const QString& text) { Label9->setText(text); }
  // A job's sources: an opened job replaces the list; a restored one fills it.
  void LoadSources(const std::vector<SourceEntry>& sources, bool restore);
  bool MeasuringSelection() const { return !sizing_.empty(); }

 signals:
  // A selected entry's size came in; the copy tab shows the new total too.
  void NeededMeasured(const QString& text);

 private:
  void Drive1_Change();
  void Dir1_Change();
  void Filtro_Click();
  void Ocultos_Click();
  void Sistema_Click();
  void Modificados_Click();
  void cmdAnadirFich_Click();
  void cmdAnadirCarp_Click();
  void cmdQuitarElem_Click();
  void CmdQuitarTodos_Click();
  void ShowFileCount();
  void ShowSelectedBytes();
  void MeasureEntry(const SourceEntry& entry, int sign);

  TabHost& host_;
  FileSystem& fs_;
  const Locale& locale_;
  BackupJob& job_;
  JobEditor& editor_;
  SpaceAccounting& space_;
  Measurer& measurer_;
  std::map<std::string, int> sizing_;  // entries whose size is being measured

  QGroupBox *Frame5, *Frame1, *Frame4;
  DriveList* Drive1;
  FolderList* Dir1;
  FileList* File1;
  QComboBox* Filtro;
  QCheckBox *Ocultos, *Sistema, *Modificados;
  QListWidget* List1;
  QPushButton *cmdAnadirCarp, *cmdAnadirFich, *cmdQuitarElem, *CmdQuitarTodos;
  QLabel *Label17, *Label1, *Label2, *Label4;
  QLabel* Label9;  // the selection's size
};

}  // namespace orvessa
