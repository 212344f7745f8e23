#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>
#include <vector>

#include "core/backup_job.hpp"
#include "core/schedule_form.hpp"
#include "ui/run_panel.hpp"
#include "ui/tab_host.hpp"
#include "ui/up_down.hpp"

namespace orvessa {

class Mnemonics;

// The copy tab: the copy mode and the schedule, decided by the schedule form; the space
// figures; saving the job; and the run's own frame.
class CopyTab : public QWidget {
  Q_OBJECT
 public:
  CopyTab(TabHost& host, BackupJob& job, QWidget& window);

  ScheduleForm& Schedule() { return schedule_form_; }
  RunPanel& Run() { return *run_; }
  // Shows what the schedule form says, changing only what differs.
  void RenderSchedule();
  // Whether the session announces its end; without it the copy at shutdown says why not.
  void SetShutdownChannel(bool announced);
  void ApplyTexts();  // captions and names for screen readers
  void MarkButtons(Mnemonics& letters);
  void FillUnits();  // the unit list in the current language
  void SetTabOrder();
  std::vector<QWidget*> JobCommands() const;
  QLabel* LabelOf(Control label) const;  // its value labels, or null

  bool EveryChecked() const { return OptCada->isChecked(); }
  bool AtShutdownChecked() const { return OptCada->isChecked() && chkApaga->isChecked(); }
  void ShowScheduleText(const QString& text);
  void ShowNeeded(const QString& text) { Label19->setText(text); }
  void ShowFreeSpace(const QString& text) { Label21->setText(text); }
  void ClearFreeSpace() { Label21->clear(); }

 signals:
  void SaveClicked();
  // After each rendering: whether to power off after the copy, and the timer it needs.
  void ScheduleShown(bool power_off, ScheduleTimer timer);
  // The schedule changed; its handlers have run.
  void ScheduleChanged();

 private:
  void ConnectSchedule();
  void ConnectChanges();

  TabHost& host_;
  ScheduleForm schedule_form_;

  QGroupBox *Frame6, *Frame9;
  QRadioButton *optTodo, *optIncremental, *optManual, *OptCada;
  QLineEdit *txtNcopias, *txtNumDSM, *txtHora, *txtMinutos;
  UpDown *updNC, *updDSM, *updHora, *updMinuto;
  QComboBox* cboDSM;
  QCheckBox *chkHoraGraba, *chkApaga;
  QLabel *Label12, *Label13, *Label18, *Label14, *Label20;
  QLabel *Label19, *Label21;  // the space needed and available
  QLabel* lblSchedule;        // when the next automatic run is, or why there is none
  QPushButton* cmdGuardar;
  RunPanel* run_;
};

}  // namespace orvessa
