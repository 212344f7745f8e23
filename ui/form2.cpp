#include "ui/form2.hpp"

#include <QCloseEvent>
#include <QMenuBar>
#include <QTimer>

#include "i18n/string_table.hpp"
#include "ui/job_files.hpp"
#include "ui/job_tabs.hpp"
#include "ui/language_menu.hpp"
#include "ui/measurer.hpp"
#include "ui/options_menu.hpp"
#include "ui/qt_text.hpp"
#include "ui/restore_window.hpp"
#include "ui/run_session.hpp"
#include "ui/schedule_ticker.hpp"
#include "ui/shell_menus.hpp"
#include "ui/status_panels.hpp"
#include "ui/value_labels.hpp"
#include "ui/window_placement.hpp"

namespace orvessa {

Form2::Form2(const Form2Services& services, Form2Folders folders, std::int16_t language_base,
             float windows_version)
    : services_(services),
      folders_(std::move(folders)),
      measurer_(new Measurer(this)),
      labels_(*this, *this, *measurer_, services.fs, job_, folders_),
      space_(
          job_, services.fs, services.locale, labels_,
          [this](int number) { return TextUtf8(number); }, folders_.state_folder),
      LanguageBase_(IsLanguageBase(language_base) ? language_base : kEnglishBase) {
  setObjectName(QStringLiteral("Form2"));
  InstallValueLabels();
  presence_ = new TrayPresence(*this, [this] { return Unloaded(); });
  placement_ = new WindowPlacement(*this, services.settings);
  menus_ = new ShellMenus(*menuBar(), *this);
  options_ = new OptionsMenu(*menuBar(), *this, services.autostart, services.settings);
  languages_ = new LanguageMenu(*menuBar(), *this);
  help_ = new HelpMenu(*menuBar(), *this, services.opener);
  help_->SetLanguage(LanguageBase_, {});
  SSTab1 = new JobTabs(*this, *this, services, job_, editor_, space_, *measurer_);
  source_ = &SSTab1->Source();
  destination_ = &SSTab1->Destination();
  copy_ = &SSTab1->Copy();
  labels_.SetTabs(*source_, *destination_, *copy_);
  setCentralWidget(SSTab1);
  status_ = new StatusPanels(*this, *this);
  ticker_ = new ScheduleTicker(*this, *presence_, *copy_, job_, services.clock, services.locale,
                               {services.settle_pause, services.after_run_pause}, this);
  shutdown_ = new ShutdownCopy(*this, *presence_, *copy_, job_, services.after_run_pause, *this);
  connect(shutdown_, &ShutdownCopy::ArmedChanged, this, &Form2::AtShutdownArmedChanged);

  BuildRun();
  end_ = new ProgramEnd({*this, *copy_, *shutdown_, *placement_, *session_}, services.settings,
                        services.power, windows_version, LanguageBase_, this);
  connect(end_, &ProgramEnd::Unloading, this, &Form2::Unloading);
  Connect();
  services.sleep.WhenResumed([this] { CheckScheduleSoon(); });
}

Form2::~Form2() {
  // The parts that call back into the window go while it is still whole; the run
  // controller stops and waits for a run in progress.
  measurer_->disconnect(this);
  delete measurer_;
  delete restore_;  // its searches and restore stop and are waited for
  delete session_;
}

bool Form2::RunInProgress() const { return session_->Running(); }

ScheduleTimer Form2::TimerMode() const { return ticker_->TimerMode(); }

void Form2::CheckScheduleSoon() { ticker_->CheckSoon(); }

bool Form2::Measuring() const { return measurer_->Busy(); }

QString Form2::Text(int number) const { return Q(TextUtf8(number)); }

std::string Form2::TextUtf8(int number) const { return LoadText(LanguageBase_, number); }

void Form2::Form_Load() {
  if (const auto entry = LanguageMenu::EntryOf(LanguageBase_)) SelectLanguage(*entry);
  ApplyLanguage();
  presence_->StayVisible(false);
  placement_->Restore();

  source_->Start(folders_.start_folder);
  destination_->ShowFreeSpace(QString());
  ticker_->Start();
  // Before the last job comes back: its schedule may be the copy at shutdown.
  shutdown_->SetChannel(services_.settings.Get("Language", "ShutDown", ""));
  // The autostart folder first: its entry sets the marks before the last job comes back.
  options_->ShowStartupMarks();
  files_->RestoreLast();
  ApplyLanguage();
}

void Form2::closeEvent(QCloseEvent* event) { event->setAccepted(end_->End(event->spontaneous())); }

void Form2::BuildRun() {
  session_ = new RunSession(
      services_, folders_,
      {*this, *this, labels_, *source_, *destination_, *copy_, *options_, *ticker_, *shutdown_,
       *status_, menus_->JobCommands(), [this](int index) { return SSTab1->ShowForRun(index); }},
      job_, identity_, space_, LanguageBase_, this);
  connect(session_, &RunSession::NoticeClicked, this, [this] { mnupopRestaurar_Click(); });
  connect(session_, &RunSession::RestoreNoticeClicked, this, [this] { OpenRestoreWindow(); });
  connect(&copy_->Run(), &RunPanel::CopyClicked, session_, [this] { session_->Start({}); });
  connect(&copy_->Run(), &RunPanel::StopClicked, session_, &RunSession::StopClicked);
  files_ = new JobFiles(services_, folders_,
                        {*this, *source_, *destination_, *copy_, *session_, *status_}, job_,
                        identity_, this);
}

void Form2::OpenRestoreWindow() {
  if (!restore_) {
    restore_ =
        new RestoreWindow({services_.fs, services_.copier, services_.clock, services_.locale},
                          folders_.state_folder, LanguageBase_, this);
  }
  // The job as it is now: it may have changed since the window was opened.
  restore_->Open(job_);
  restore_->show();
  restore_->raise();
  restore_->activateWindow();
  OtherFormActivated();
}

RestoreWindow* Form2::RestoreBox() const { return restore_; }

void Form2::LoadJob(const std::string& path, bool restore) { files_->Load(path, restore); }

QMenu* Form2::TrayMenu() const { return menus_->TrayMenu(); }

void Form2::Connect() {
  connect(help_, &HelpMenu::AboutActivated, this, [this] { OtherFormActivated(); });
  connect(menus_, &ShellMenus::OpenClicked, this, [this] { files_->Open(); });
  connect(menus_, &ShellMenus::SaveClicked, this, [this] { files_->Save(); });
  connect(menus_, &ShellMenus::RestoreFilesClicked, this, [this] { OpenRestoreWindow(); });
  connect(this, &Form2::LanguageChanged, this, [this](std::int16_t base) {
    if (restore_) restore_->SetLanguage(base);
  });
  connect(menus_, &ShellMenus::ExitClicked, this, [this] { end_->End(false); });
  connect(menus_, &ShellMenus::RestoreClicked, this, [this] { mnupopRestaurar_Click(); });
  connect(menus_, &ShellMenus::TrayExitClicked, this, [this] { mnupopSalir_Click(); });
  connect(languages_, &LanguageMenu::Chosen, this, [this](int entry) { SelectLanguage(entry); });
  connect(copy_, &CopyTab::ScheduleShown, this, [this](bool power_off, ScheduleTimer timer) {
    // After each rendering of the schedule: the power-off it asks for, and the timer.
    end_->SetPowerOffAfterCopy(power_off);
    ticker_->ShowTimer(timer);
    // Once the handlers have settled: the schedule may pass through the at-shutdown state
    // on its way elsewhere, and the session need not hear of that.
    QTimer::singleShot(0, this, [this] { shutdown_->UpdateArming(); });
  });
  connect(copy_, &CopyTab::SaveClicked, this, [this] { files_->Save(); });
  SSTab1->SetTabOrder();
}

void Form2::StartUnattendedRun(std::function<void()> then) {
  session_->StartUnattended(std::move(then));
}
bool Form2::LastRunSucceeded() const { return session_->LastRunSucceeded(); }
void Form2::NoticeRunEnd() { session_->NoticeRunEnd(); }

}  // namespace orvessa
