#pragma once

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/backup_job.hpp"
#include "core/backup_run.hpp"
#include "core/job_editor.hpp"
#include "core/job_file_reader.hpp"
#include "core/run_view.hpp"
#include "core/space_accounting.hpp"
#include "ui/copy_tab.hpp"
#include "ui/destination_tab.hpp"
#include "ui/form2_services.hpp"
#include "ui/help_menu.hpp"
#include "ui/language_menu.hpp"
#include "ui/options_menu.hpp"
#include "ui/schedule_ticker.hpp"
#include "ui/shell_host.hpp"
#include "ui/shutdown_copy.hpp"
#include "ui/source_tab.hpp"
#include "ui/tray_presence.hpp"
#include "ui/window_placement.hpp"

namespace orvessa {

// The main window: the three steps of a backup job, the run on screen, the languages
// and the job files. The handlers carry the names the program's design gives them.
class Form2 : public QMainWindow, public SpaceView, public ShellHost {
  Q_OBJECT
 public:
  Form2(const Form2Services& services, Form2Folders folders, std::int16_t language_base,
        float windows_version);
  ~Form2() override;

  void Form_Load();
  // User: the close box or window menu; code: File > Exit and the end of a run.
  void Form_QueryUnload(bool by_user);
  void Form_Unload();
  bool Unloaded() const override { return unloaded_; }
  bool PowerOffRequested() const { return power_off_sent_; }
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
  // A tray appeared or went away: the hidden window comes back to the task bar when it
  // would otherwise be out of reach, and a minimised one goes to the new tray.
  void TrayChanged(bool available) { presence_->TrayChanged(available); }
  bool InTray() const { return presence_->InTray(); }
  QMenu* TrayMenu() const { return mnuSystray; }
  // The tray menu's commands; Restore also answers a click on the icon.
  void mnupopRestaurar_Click();
  void mnupopSalir_Click();
  // The session or a user's kill asked the program to end: as the close box, after any
  // run has stopped; never powers the computer off.
  void EndBySignal();

  // The About box while it is open.
  Form4* AboutBox() const { return help_->AboutBox(); }

  std::int16_t LanguageBase() const { return LanguageBase_; }
  const std::string& HelpFile() const { return help_->HelpFile(); }
  ScheduleTimer TimerMode() const;
  bool RunInProgress() const override;
  bool Measuring() const;  // folder sizes or free space being measured
  const BackupJob& Job() const { return job_; }
  const JobFileIdentity& Identity() const { return identity_; }
  bool PowerOffAfterCopy() const { return power_off_after_copy_; }

  // Automatic runs: where their end is announced, and a look at the schedule soon after
  // the start and after every wake-up, as a missed time of copy is due at once.
  void CheckScheduleSoon();
  // The copy at shutdown is armed: the session's end is to be called off and asked about.
  bool AtShutdownArmed() const { return shutdown_->Armed(); }
  // How the session announces its end ("none": it does not, and the option says so).
  void SetShutdownChannel(const std::string& channel) { shutdown_->SetChannel(channel); }
  // The session's request to end has been called off while armed: the user is asked,
  // then the copy runs and, when it succeeded, the computer is powered off.
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
  // File menu.
  void mnuArchivo_Salir_Click();
  // Unloads the window and ends the program; a run in progress stops first.
  void EndProgram(bool by_user);

  // Language menu.
  void SelectLanguage(int entry);  // 0..6 in menu order
  void ApplyLanguage();
  void ApplyAccessibleNames();

  // What the copy tab's schedule needs of the window: the power-off and the timer.
  void ScheduleShown(bool power_off, ScheduleTimer timer);

  // SpaceView and TabHost: what the space figures and the tabs need of the window.
  void SetLabelText(Control label, const std::string& text) override;
  void SetLabelColour(Control label, int colour) override;
  void SetCopyCursor(bool on) override;
  void ShowMessage(const std::string& text, MessageIcon icon) override;
  QString Text(int number) const override;
  std::string TextUtf8(int number) const override;
  void MeasureDestination(std::function<void(const DestinationSpace&)> then) override;
  void StartUnattendedRun(std::function<void()> then) override;
  bool LastRunSucceeded() const override;
  void NoticeRunEnd() override;
  void ExitProgram() override { mnuArchivo_Salir_Click(); }
  void PowerOffAndEnd() override;
  QLabel* LabelOf(Control label) const;
  bool ShowTab(int index);

  void BuildMenus();
  void BuildTabs();
  void BuildStatusBar();
  void BuildRun(const Form2Services& services);
  void Connect();

  void EndAfterRun();

  // Controls, under the names the design gives them.
  QMenu* MenuArchivo;
  QAction* mnuAbreTrab;
  QAction* mnuGuardaTrab;
  QAction* mnuArchivo_Salir;
  OptionsMenu* options_;
  LanguageMenu* languages_;
  HelpMenu* help_;
  QMenu* mnuSystray;
  QAction* mnupopRestaurar;
  QAction* mnupopSalir;
  QTabWidget* SSTab1;
  QStatusBar* StatusBar1;
  std::array<QLabel*, 5> Panel;
  SourceTab* source_;
  DestinationTab* destination_;
  CopyTab* copy_;
  TrayPresence* presence_;
  ScheduleTicker* ticker_;
  ShutdownCopy* shutdown_;
  WindowPlacement* placement_;

  FileSystem& fs_;
  const Clock& clock_;
  const Locale& locale_;
  Monotonic& time_;
  PowerService& power_;
  SettingsStore& settings_;
  Autostart& autostart_;
  UrlOpener& opener_;
  Form2Folders folders_;
  float WindowsVersion_;

  BackupJob job_;
  JobFileIdentity identity_;
  SpaceAccounting space_;
  JobEditor editor_{job_, fs_};
  class Measurer* measurer_;
  class RunSession* session_ = nullptr;
  class JobFiles* files_ = nullptr;
  bool power_off_after_copy_ = false;

  std::int16_t LanguageBase_;
  bool tab_reaction_quiet_ = false;
  bool unloaded_ = false;
  bool power_off_sent_ = false;
};

}  // namespace orvessa
