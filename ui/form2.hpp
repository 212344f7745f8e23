#pragma once

#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <functional>
#include <string>

#include "core/backup_job.hpp"
#include "core/job_editor.hpp"
#include "core/job_file_reader.hpp"
#include "core/schedule_form.hpp"
#include "core/space_accounting.hpp"
#include "ui/form2_services.hpp"
#include "ui/help_menu.hpp"
#include "ui/program_end.hpp"
#include "ui/shell_host.hpp"
#include "ui/shutdown_copy.hpp"
#include "ui/space_labels.hpp"
#include "ui/tray_presence.hpp"

namespace orvessa {

// The main window: the three steps of a backup job, the run on screen, the languages
// and the job files. The handlers carry the names the program's design gives them.
class Form2 : public QMainWindow, public ShellHost {
  Q_OBJECT
 public:
  Form2(const Form2Services& services, Form2Folders folders, std::int16_t language_base,
        float windows_version);
  ~Form2() override;

  void Form_Load();
  void Form_Unload() { end_->Unload(); }
  bool Unloaded() const override { return end_ && end_->Unloaded(); }
  bool PowerOffRequested() const { return end_->PowerOffSent(); }
  // A job file opened by the user (restore: the start-up restore of the last job).
  void LoadJob(const std::string& path, bool restore);

  // The window becomes the program's active window: the tray icon is added and, unless it
  // is to stay visible, the window goes back to the tray (or, with no tray, to the task bar).
  void Form_Activate();
  // Another window of the program became active; coming back leaves this one visible.
  void OtherFormActivated() { presence_->StayVisible(true); }
  bool StayVisibleWhenActive() const { return presence_->StaysVisible(); }
  // Whether a tray shows the icon now; asked before the window is hidden.
  void SetTrayQuery(std::function<bool()> tray_available) {
    presence_->SetTrayQuery(std::move(tray_available));
  }
  // A tray came or went: a hidden window comes back to the task bar, a minimised one goes
  // to the new tray.
  void TrayChanged(bool available) { presence_->TrayChanged(available); }
  bool InTray() const { return presence_->InTray(); }
  QMenu* TrayMenu() const;
  // The tray menu's commands; Restore also answers a click on the icon.
  void mnupopRestaurar_Click();
  void mnupopSalir_Click();
  // The session or a user's kill asked the program to end: as the close box, after any
  // run has stopped; never powers the computer off.
  void EndBySignal();
  // File > Restore…: the window of the job's copies, opened or brought up.
  void OpenRestoreWindow();
  class RestoreWindow* RestoreBox() const;
  Form4* AboutBox() const { return help_->AboutBox(); }  // while it is open
  std::int16_t LanguageBase() const { return LanguageBase_; }
  const std::string& HelpFile() const { return help_->HelpFile(); }
  ScheduleTimer TimerMode() const;
  bool RunInProgress() const override;
  bool Measuring() const;  // folder sizes or free space being measured
  const BackupJob& Job() const { return job_; }
  const JobFileIdentity& Identity() const { return identity_; }
  bool PowerOffAfterCopy() const { return end_->PowerOffAfterCopy(); }

  // A look at the schedule soon, as after the start or a wake-up: a missed time is due at once.
  void CheckScheduleSoon();
  // The copy at shutdown is armed: the session's end is to be called off and asked about.
  bool AtShutdownArmed() const { return shutdown_->Armed(); }
  // How the session announces its end ("none": it does not, and the option says so).
  void SetShutdownChannel(const std::string& channel) { shutdown_->SetChannel(channel); }
  // The session's end was called off while armed: the user is asked, the copy runs and,
  // when it succeeded, the computer is powered off.
  void SessionEndRequested() { shutdown_->SessionEndRequested(); }

 signals:
  // The user chose another language (its base); Qt's own texts follow it.
  void LanguageChanged(std::int16_t language_base);
  // The tray icon is to be shown, with this tip; an icon already shown keeps its own.
  void TrayIconWanted(const QString& tip);
  // First step of the unload: the tray icon goes.
  void Unloading();
  // The copy at shutdown was armed or disarmed.
  void AtShutdownArmedChanged(bool armed);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void SelectLanguage(int entry);  // 0..6 in menu order
  void ApplyLanguage();

  // TabHost and ShellHost: what the tabs and the window's controllers need of it.
  void ShowMessage(const std::string& text, MessageIcon icon) override {
    labels_.ShowMessage(text, icon);
  }
  QString Text(int number) const override;
  std::string TextUtf8(int number) const override;
  void MeasureDestination(std::function<void(const DestinationSpace&)> then) override {
    labels_.MeasureDestination(std::move(then));
  }
  void StartUnattendedRun(std::function<void()> then) override;
  bool LastRunSucceeded() const override;
  void NoticeRunEnd() override;
  void ExitProgram() override { end_->End(false); }
  void PowerOffAndEnd() override { end_->PowerOffAndEnd(); }

  void BuildRun();
  void Connect();

  // The window's parts; the tabs under the name the design gives them.
  class ShellMenus* menus_;
  class OptionsMenu* options_;
  class LanguageMenu* languages_;
  HelpMenu* help_;
  class JobTabs* SSTab1;
  class StatusPanels* status_;
  class SourceTab* source_;
  class DestinationTab* destination_;
  class CopyTab* copy_;
  TrayPresence* presence_;
  class ScheduleTicker* ticker_;
  ShutdownCopy* shutdown_;
  class WindowPlacement* placement_;
  Form2Services services_;
  Form2Folders folders_;
  BackupJob job_;
  JobFileIdentity identity_;
  class Measurer* measurer_;
  SpaceLabels labels_;
  SpaceAccounting space_;
  JobEditor editor_{job_, services_.fs};
  class RunSession* session_ = nullptr;
  class JobFiles* files_ = nullptr;
  ProgramEnd* end_ = nullptr;
  QPointer<class RestoreWindow> restore_;  // made when first opened, gone when closed
  std::int16_t LanguageBase_;
};

}  // namespace orvessa
