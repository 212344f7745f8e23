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
#include "ui/job_files.hpp"
#include "ui/measurer.hpp"
#include "ui/qt_text.hpp"
#include "ui/run_session.hpp"
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
      opener_(services.opener),
      folders_(std::move(folders)),
      WindowsVersion_(windows_version),
      space_(
          job_, services.fs, services.locale, *this,
          [this](int number) { return TextUtf8(number); }, folders_.state_folder),
      LanguageBase_(IsLanguageBase(language_base) ? language_base : kEnglishBase) {
  setObjectName(QStringLiteral("Form2"));
  InstallValueLabels();
  measurer_ = new Measurer(this);
  connect(measurer_, &Measurer::busyChanged, this, [this](bool busy) {
    if (RunInProgress()) return;  // the run's own cursor stays
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

  BuildRun(services);
  Connect();
  services.sleep.WhenResumed([this] { CheckScheduleSoon(); });
}

Form2::~Form2() {
  // The parts that call back into the window go while it is still whole; the run
  // controller stops and waits for a run in progress.
  measurer_->disconnect(this);
  delete measurer_;
  delete session_;
}

bool Form2::RunInProgress() const { return session_->Running(); }

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
  files_->RestoreLast();
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
  if (RunInProgress()) {
    session_->StopAndEnd();
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
  if (RunInProgress()) {
    session_->StopAndEnd();
    hide();
    return;
  }
  Form_Unload();
  QCoreApplication::quit();
}

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

void Form2::BuildRun(const Form2Services& services) {
  session_ = new RunSession(services, folders_,
                            {*this,
                             *this,
                             *this,
                             *source_,
                             *destination_,
                             *copy_,
                             *options_,
                             *ticker_,
                             *shutdown_,
                             Panel,
                             {mnuAbreTrab, mnuGuardaTrab},
                             [this](int index) { return ShowTab(index); }},
                            job_, identity_, space_, LanguageBase_, this);
  connect(session_, &RunSession::CopiedAll, this, [this] {
    if (power_off_after_copy_ && job_.LastRunOutcome == 0) {
      if (WindowsVersion_ >= kPowerOffVersion) power_.EnableShutdownPrivilege();
      Form_Unload();
      session_->EndWhenDone();  // the end of the run finishes its last steps
    }
  });
  connect(session_, &RunSession::EndAfterRun, this, [this] { EndAfterRun(); });
  connect(session_, &RunSession::NoticeClicked, this, [this] { mnupopRestaurar_Click(); });
  connect(&copy_->Run(), &RunPanel::CopyClicked, session_, [this] { session_->Start({}); });
  connect(&copy_->Run(), &RunPanel::StopClicked, session_, &RunSession::StopClicked);
  files_ =
      new JobFiles(services, folders_, {*this, *source_, *destination_, *copy_, *session_, Panel},
                   job_, identity_, this);
}

void Form2::LoadJob(const std::string& path, bool restore) { files_->Load(path, restore); }

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

void Form2::StartUnattendedRun(std::function<void()> then) {
  session_->StartUnattended(std::move(then));
}
bool Form2::LastRunSucceeded() const { return session_->LastRunSucceeded(); }
void Form2::NoticeRunEnd() { session_->NoticeRunEnd(); }

}  // namespace orvessa
