#include "ui/form2.hpp"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "core/power_off.hpp"
#include "core/run_records.hpp"
#include "i18n/string_table.hpp"
#include "i18n/text_ids.hpp"
#include "platform/session_probe.hpp"
#include "ui/dialogs.hpp"
#include "ui/measurer.hpp"
#include "ui/qt_text.hpp"
#include "ui/run_controller.hpp"
#include "ui/value_labels.hpp"

namespace orvessa {

Form2::Form2(const Form2Services& services, Form2Folders folders, std::int16_t language_base,
             float windows_version)
    : fs_(services.fs),
      clock_(services.clock),
      locale_(services.locale),
      time_(services.time),
      power_(services.power),
      settings_(services.settings),
      autostart_(services.autostart),
      inhibitor_(services.inhibitor),
      opener_(services.opener),
      notifier_(services.notifier),
      folders_(std::move(folders)),
      WindowsVersion_(windows_version),
      space_(
          job_, services.fs, services.locale, *this,
          [this](int number) { return TextUtf8(number); }, folders_.state_folder),
      LanguageBase_(IsLanguageBase(language_base) ? language_base : kEnglishBase) {
  setObjectName(QStringLiteral("Form2"));
  InstallValueLabels();
  runner_ = new RunController(
      RunServices{services.fs, services.copier, services.clock, services.locale, services.time},
      this);
  runner_->setObjectName(QStringLiteral("RunController"));
  measurer_ = new Measurer(this);
  connect(measurer_, &Measurer::busyChanged, this, [this](bool busy) {
    if (runner_->Running()) return;  // the run's own cursor stays
    if (busy) {
      setCursor(Qt::BusyCursor);
    } else {
      unsetCursor();
    }
  });

  presence_ = new TrayPresence(*this, [this] { return unloaded_; });
  placement_ = new WindowPlacement(*this, settings_);
  BuildMenus();
  BuildTabs();
  BuildStatusBar();
  ticker_ = new ScheduleTicker(*this, *presence_, *copy_, job_, services.clock, services.locale,
                               {services.settle_pause, services.after_run_pause}, this);
  shutdown_ = new ShutdownCopy(*this, *presence_, *copy_, job_, services.after_run_pause, *this);
  connect(shutdown_, &ShutdownCopy::ArmedChanged, this, &Form2::AtShutdownArmedChanged);

  // Each tick only lets the event loop run; Qt's loop delivers it, so nothing is left to do.
  Timer2 = new QTimer(this);
  Timer2->setObjectName(QStringLiteral("Timer2"));
  Timer2->setInterval(1000);
  Connect();
  ConnectRun();
  services.sleep.WhenResumed([this] { CheckScheduleSoon(); });
}

Form2::~Form2() {
  // The parts that call back into the window go while it is still whole; the run
  // controller stops and waits for a run in progress.
  measurer_->disconnect(this);
  runner_->disconnect(this);
  delete measurer_;
  delete runner_;
}

bool Form2::RunInProgress() const { return runner_->Running(); }

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
  shutdown_->SetChannel(settings_.Get("Language", "ShutDown", ""));
  // The autostart folder first: its entry sets the marks before the last job comes back.
  options_->ShowStartupMarks();
  RestoreLastJob();
  ApplyLanguage();
  source_->FitListWidth();
}

void Form2::Form_QueryUnload(bool by_user) {
  // Closing the window must never power the computer off.
  if (by_user && power_off_after_copy_) {
    copy_->Schedule().ClearPowerOff();
    copy_->RenderSchedule();
    power_off_after_copy_ = false;
  }
}

void Form2::Form_Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  emit Unloading();
  // The session may end freely from here on, and our own power-off must not wait for us.
  shutdown_->UpdateArming();
  settings_.Save("Language", "Language", std::to_string(LanguageBase_));
  placement_->Save();
  if (power_off_after_copy_) {
    PowerOffSystem(power_, WindowsVersion_);
    power_off_sent_ = true;
  }
  hide();
}

void Form2::closeEvent(QCloseEvent* event) {
  Form_QueryUnload(event->spontaneous());
  if (runner_->Running()) {
    // The run stops at its next yield; the program ends once it has returned.
    runner_->Stop();
    end_after_run_ = true;
    event->ignore();
    hide();
    return;
  }
  Form_Unload();
  event->accept();
  QCoreApplication::quit();
}

void Form2::mnuArchivo_Salir_Click() { EndProgram(false); }

void Form2::EndProgram(bool by_user) {
  Form_QueryUnload(by_user);
  if (runner_->Running()) {
    runner_->Stop();
    end_after_run_ = true;
    hide();
    return;
  }
  Form_Unload();
  QCoreApplication::quit();
}

void Form2::cmdCopiar_Click() { StartRun({}); }

void Form2::MeasureDestination(std::function<void(const DestinationSpace&)> then) {
  auto measured = std::make_shared<DestinationSpace>();
  measurer_->Measure(
      [&fs = fs_, destination = job_.Destination, state = folders_.state_folder,
       measured](std::stop_token) {
        *measured = MeasureDestinationSpace(fs, destination, state);
        return measured->free_bytes;
      },
      [measured, then = std::move(then)](double) { then(*measured); });
}

std::string Form2::LastRunPanel() const {
  return job_.LastRunDate + "  " + job_.LastRunTime + "  ";
}

void Form2::StartRun(std::function<void()> then) {
  if (runner_->Running()) return;
  stop_asked_ = false;
  run_message_.clear();
  run_notices_.clear();
  last_end_ = RunEnd::NotRun;
  after_run_ = std::move(then);
  LockJobCommands(true);
  // Going to sleep would cut the copy off; the lock goes with the run, however it ends.
  awake_ = inhibitor_.Inhibit({"sleep:idle", "Orvessa", "Backup in progress", "block"});
  // The run's first steps are the window's: the copy tab, the panels, the animation.
  if (ShowTab(2)) copy_->ShowNeeded(source_->NeededText());
  Panel[1]->setText(Q(identity_.JobFileName));
  Panel[2]->setText(Q(job_.Destination));
  Panel[3]->setText(Q(LastRunPanel()));
  Timer2->start();
  copy_->Run().ShowStart(folders_.data_folder + "/filecopy.gif");
  RunSettings settings;
  settings.text = [base = LanguageBase_](int number) { return LoadText(base, number); };
  settings.share_unchanged = options_->ShareUnchanged();
  settings.state_folder = folders_.state_folder;
  settings.measure_selection = source_->MeasuringSelection();
  runner_->Start(job_, std::move(settings));
}

void Form2::ConnectRun() {
  connect(runner_, &RunController::measured, this, [this](double free, const QString& drive) {
    space_.FreeBytes = free;
    space_.DestinationDrive = S(drive);
    if (drive != Q(std::string(kNetworkDrive))) {
      destination_->ShowFreeSpace(Q(FormatKilobytes(free, locale_)));
      copy_->ShowFreeSpace(destination_->FreeSpaceText());
    }
    const int colour = job_.SelectedBytes < free ? kColourEnoughSpace : kColourShortOfSpace;
    SetLabelColour(Control::Label20, colour);
    SetLabelColour(Control::Label21, colour);
  });
  connect(runner_, &RunController::copying, this, [this](int entries) {
    copy_->Run().ShowCopying(entries);
    SetCopyCursor(true);
  });
  RunPanel* panel = &copy_->Run();
  connect(runner_, &RunController::entry, panel, &RunPanel::ShowEntry);
  connect(runner_, &RunController::line, panel, &RunPanel::ShowLine);
  connect(runner_, &RunController::progress, this, [panel](const RunProgress& progress) {
    panel->ShowBytesCopied(progress.bytes, progress.selected_bytes);
  });
  connect(runner_, &RunController::notice, this, [this](int text, int icon) {
    run_message_ = TextUtf8(text);
    run_notices_.emplace_back(run_message_, static_cast<MessageIcon>(icon));
  });
  connect(runner_, &RunController::finished, this, [this] { OnRunEnd(); });
}

// What follows a run is decided here from how it ended: the job's saves and record, the
// power-off, the messages it raised.
void Form2::OnRunEnd() {
  const RunResult& result = runner_->Result();
  last_end_ = result.end;
  awake_.reset();
  RecordRun(fs_, clock_, locale_, folders_.program_folder, job_, identity_, result);
  if (job_.Destination.empty()) {
    // Reported as not ready: forgotten.
    destination_->Forget();
  }
  if (result.end == RunEnd::Normal || result.end == RunEnd::Error) {
    Panel[2]->setText(Q(job_.Destination));
    Panel[3]->setText(Q(LastRunPanel()));
  }
  if (result.end == RunEnd::Normal) {
    copy_->Run().ShowAllCopied();
    if (power_off_after_copy_ && job_.LastRunOutcome == 0) {
      if (WindowsVersion_ >= kPowerOffVersion) power_.EnableShutdownPrivilege();
      UnloadMainWindow();
    }
    ClearReadOnlyInDestination(fs_, job_.Destination);
  }
  LockJobCommands(false);
  ShowRunOutcome();
  ticker_->ShowStatus();  // a successful run moves the next automatic one
  // What the run had to say, now that it no longer waits for anyone: whoever started it by
  // hand reads it; nobody may be at the computer for an automatic run.
  for (const auto& [text, icon] : run_notices_) {
    if (unattended_run_) {
      Dialogs::Show(this, Q(text), icon);
    } else {
      Dialogs::Message(this, Q(text), icon);
    }
  }
  if (end_after_run_) {
    EndAfterRun();
    return;
  }
  shutdown_->RunEnded();
  if (after_run_) {
    auto then = std::move(after_run_);
    after_run_ = {};
    then();
  }
}

// Which older copies gave the files a run could not copy, and how many each gave.
std::string Form2::CarriedOverText() const {
  const RunReport& report = runner_->Result().report;
  if (last_end_ == RunEnd::NotRun || report.carried == 0) return {};
  std::string text = TextUtf8(text_id::kCarriedOver);
  bool first = true;
  for (const auto& [copy, count] : report.carried_from) {
    text += first ? " " : ", ";
    first = false;
    text += copy.empty() ? TextUtf8(text_id::kPreviousCopy) : copy;
    text += " (" + std::to_string(count) + ")";
  }
  return text;
}

void Form2::cmdDetener_Click() {
  if (!runner_->Running()) return;
  stop_asked_ = true;
  runner_->Stop();
  copy_->Run().DisableStop();
}

// A run copies from the job as it was when it started, so nothing may change the job
// until it ends.
void Form2::LockJobCommands(bool locked) {
  mnuAbreTrab->setEnabled(!locked);
  mnuGuardaTrab->setEnabled(!locked);
  if (locked) {
    locked_.clear();
    for (const std::vector<QWidget*>& commands :
         {source_->JobCommands(), destination_->JobCommands(), copy_->JobCommands()}) {
      for (QWidget* control : commands) {
        locked_.emplace_back(control, control->isEnabledTo(this));
        control->setEnabled(false);
      }
    }
  } else {
    for (const auto& [control, enabled] : locked_) control->setEnabled(enabled);
    locked_.clear();
    copy_->RenderSchedule();  // what changed meanwhile (the session's channel) shows now
  }
  copy_->Run().ShowLocked(locked);
}

// However a run ended, the window says how, and nothing still looks busy.
void Form2::ShowRunOutcome() {
  copy_->Run().ShowEnd();
  Timer2->stop();
  unsetCursor();
  const LocalDateTime now = clock_.Now();
  // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) on `"literal" + string`.
  std::string when(1, ' ');
  when += locale_.FormatShortDate(now.date);
  when += ' ';
  when += locale_.FormatTime(now.time);
  std::string why;
  if (!run_message_.empty()) (why += '\n') += run_message_;
  if (const std::string carried = CarriedOverText(); !carried.empty()) (why += '\n') += carried;
  switch (last_end_) {
    case RunEnd::NotRun:
      return;
    case RunEnd::Normal:
      outcome_ = job_.LastRunOutcome == 0 ? Outcome::Successful : Outcome::Error;
      break;
    case RunEnd::Error:
      if (stop_asked_) {
        outcome_ = Outcome::Stopped;
        copy_->Run().ShowLine(Q(TextUtf8(text_id::kBackupStopped) + when));
      } else {
        outcome_ = Outcome::Error;
        copy_->Run().ShowLine(Q(TextUtf8(text_id::kBackupError) + when + why));
      }
      break;
    case RunEnd::StoppedAtCheck:
      outcome_ = Outcome::Error;
      copy_->Run().ShowLine(Q(TextUtf8(text_id::kBackupError) + when + why));
      break;
  }
  ShowLastOutcome();
}

void Form2::PowerOffAndEnd() {
  power_off_after_copy_ = true;
  if (WindowsVersion_ >= kPowerOffVersion) power_.EnableShutdownPrivilege();
  EndAfterRun();
}

void Form2::EndAfterRun() {
  Form_Unload();
  QCoreApplication::quit();
}

// ---- What the space figures and the run show ----

QLabel* Form2::LabelOf(Control label) const {
  if (QLabel* shown = source_->LabelOf(label)) return shown;
  if (QLabel* shown = destination_->LabelOf(label)) return shown;
  return copy_->LabelOf(label);
}

void Form2::SetLabelText(Control label, const std::string& text) {
  QLabel* shown = LabelOf(label);
  shown->setText(Q(text));
  if (label == Control::Label8) shown->repaint();
  // A destination reported as not ready is forgotten, and its state with it.
  if (label == Control::Label5 && text.empty()) destination_->HideState();
}

void Form2::SetLabelColour(Control label, int colour) {
  QLabel* shown = LabelOf(label);
  QFont font = shown->font();
  font.setBold(colour == kColourShortOfSpace);
  shown->setFont(font);
  if (colour != kColourShortOfSpace) {
    // The text colour of the user's palette, light or dark.
    shown->setPalette(QPalette());
    return;
  }
  // A red that stands out from the palette's own background, light or dark.
  QPalette palette = shown->palette();
  const bool dark = palette.color(QPalette::Window).lightness() < 128;
  palette.setColor(QPalette::WindowText, QColor::fromHsl(0, 200, dark ? 170 : 90));
  shown->setPalette(palette);
}

void Form2::SetCopyCursor(bool on) {
  if (!on) {
    unsetCursor();
    return;
  }
  const QPixmap picture(Q(folders_.data_folder + "/copy_cursor.png"));
  setCursor(picture.isNull() ? QCursor(Qt::BusyCursor) : QCursor(picture, 0, 0));
}

void Form2::ShowMessage(const std::string& text, MessageIcon icon) {
  Dialogs::Message(this, Q(text), icon);
}

bool Form2::ShowTab(int index) {
  if (SSTab1->currentIndex() == index) return false;
  tab_reaction_quiet_ = true;  // the caller runs the reaction itself
  SSTab1->setCurrentIndex(index);
  tab_reaction_quiet_ = false;
  copy_->Run().FocusStopWhileRunning();
  return true;
}

void Form2::UnloadMainWindow() {
  Form_Unload();
  end_after_run_ = true;  // the end of the run finishes its last steps
}

}  // namespace orvessa
