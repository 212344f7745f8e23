#include "ui/form2.hpp"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "core/power_off.hpp"
#include "i18n/string_table.hpp"
#include "i18n/text_ids.hpp"
#include "platform/session_probe.hpp"
#include "ui/dialogs.hpp"
#include "ui/qt_text.hpp"

namespace orvessa {

Form2::Form2(const Form2Services& services, Form2Folders folders, std::int16_t language_base,
             float windows_version)
    : fs_(services.fs),
      clock_(services.clock),
      locale_(services.locale),
      pump_(services.pump),
      power_(services.power),
      settings_(services.settings),
      autostart_(services.autostart),
      inhibitor_(services.inhibitor),
      folders_(std::move(folders)),
      WindowsVersion_(windows_version),
      space_(
          job_, services.fs, services.locale, *this,
          [this](int number) { return TextUtf8(number); }, folders_.state_folder),
      LanguageBase_(IsLanguageBase(language_base) ? language_base : kEnglishBase),
      scheduler_(services.clock, services.locale) {
  setObjectName(QStringLiteral("Form2"));
  RunSettings run_settings;
  run_settings.program_folder = folders_.program_folder;
  run_settings.state_folder = folders_.state_folder;
  run_settings.animation_path = folders_.data_folder + "/filecopy.gif";
  run_settings.text = [this](int number) { return TextUtf8(number); };
  run_settings.WindowsVersion = WindowsVersion_;
  run_ = std::make_unique<BackupRun>(
      RunServices{services.fs, services.clock, services.locale, services.pump, services.power},
      *this, space_, job_, identity_, std::move(run_settings));

  BuildMenus();
  SSTab1 = new QTabWidget(this);
  SSTab1->setObjectName(QStringLiteral("SSTab1"));
  SSTab1->addTab(BuildSourceTab(), QString());
  SSTab1->addTab(BuildDestinationTab(), QString());
  SSTab1->addTab(BuildCopyTab(), QString());
  setCentralWidget(SSTab1);
  BuildStatusBar();

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(1000);
  // Each tick only lets the event loop run; Qt's loop delivers it, so nothing is left to do.
  Timer2 = new QTimer(this);
  Timer2->setObjectName(QStringLiteral("Timer2"));
  Timer2->setInterval(1000);
  Connect();
  ConnectScheduler();
  SetTabOrder();
  // The box starts at "2"; its down button counts from the field, which would show -1.
  job_.CopiesToKeep = 2;
  // The manual option starts selected, so the job says so too.
  job_.ManualOnly = true;
}

Form2::~Form2() {
  // The run refers to this window; it must not outlive it.
  if (run_->Running()) run_->RequestStop();
}

QString Form2::Text(int number) const { return Q(TextUtf8(number)); }

std::string Form2::TextUtf8(int number) const { return LoadText(LanguageBase_, number); }

void Form2::Form_Load() {
  static constexpr std::int16_t kBases[] = {kEnglishBase, kSpanishBase, kGermanBase, kFrenchBase};
  for (int entry = 0; entry < 4; ++entry) {
    if (kBases[entry] == LanguageBase_) SelectLanguage(entry);
  }
  ApplyLanguage();
  StayVisibleWhenActive_ = false;
  RestoreGeometry();

  if (!Dir1->SetPath(folders_.start_folder)) (void)Dir1->SetPath("/");
  Drive1->SelectDriveOf(Dir1->Path());
  Label2->clear();
  Label7->clear();
  Label9->clear();
  Modificados_Click();
  Ocultos_Click();
  Sistema_Click();
  if (OptCada->isChecked()) {
    Timer1->start();
  } else {
    Timer1->stop();
  }
  // Before the last job comes back: its schedule may be the copy at shutdown.
  shutdown_channel_ = settings_.Get("Language", "ShutDown", "") != kChannelNone;
  ApplyShutdownChannel();
  // The autostart folder first: its entry sets the marks before the last job comes back.
  ReadSpecialFolders();
  RestoreLastJob();
  ApplyLanguage();
  FitListWidth(List1);
}

void Form2::Form_QueryUnload(bool by_user) {
  // Closing the window must never power the computer off.
  if (by_user && run_->PowerOffAfterCopy) {
    chkShutDown->setChecked(false);
    run_->PowerOffAfterCopy = false;
  }
}

void Form2::Form_Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  emit Unloading();
  // The session may end freely from here on, and our own power-off must not wait for us.
  UpdateArming();
  settings_.Save("Language", "Language", std::to_string(LanguageBase_));
  // A window that never came up has no place of its own to keep.
  if (fitted_) SaveGeometry();
  if (run_->PowerOffAfterCopy) {
    PowerOffSystem(power_, WindowsVersion_);
    power_off_sent_ = true;
  }
  hide();
}

void Form2::closeEvent(QCloseEvent* event) {
  Form_QueryUnload(event->spontaneous());
  if (run_->Running()) {
    // The run stops at its next yield; the program ends once it has returned.
    run_->RequestStop();
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
  if (run_->Running()) {
    run_->RequestStop();
    end_after_run_ = true;
    hide();
    return;
  }
  Form_Unload();
  QCoreApplication::quit();
}

void Form2::cmdCopiar_Click() {
  if (run_->Running()) return;
  stop_asked_ = false;
  run_message_.clear();
  LockJobCommands(true);
  {
    // Going to sleep would cut the copy off; the lock goes with the run, however it ends.
    const std::unique_ptr<InhibitLock> awake =
        inhibitor_.Inhibit({"sleep:idle", "Orvessa", "Backup in progress", "block"});
    run_->cmdCopiar_Click();
  }
  LockJobCommands(false);
  ShowRunOutcome();
  ShowScheduleStatus();  // a successful run moves the next automatic one
  if (end_after_run_) {
    EndAfterRun();
  } else if (shutdown_after_run_) {
    // Asked once this run and whatever started it have finished.
    shutdown_after_run_ = false;
    QTimer::singleShot(0, this, [this] { SessionEndRequested(); });
  }
}

// Which older copies gave the files a run could not copy, and how many each gave.
std::string Form2::CarriedOverText() const {
  const RunReport& report = run_->Report;
  if (run_->LastEnd == RunEnd::NotRun || report.carried == 0) return {};
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
  if (!run_->Running()) return;
  stop_asked_ = true;
  run_->RequestStop();
  cmdDetener->setEnabled(false);
}

// A run copies from the job as it was when it started, so nothing may change the job
// until it ends.
void Form2::LockJobCommands(bool locked) {
  mnuAbreTrab->setEnabled(!locked);
  mnuGuardaTrab->setEnabled(!locked);
  if (locked) {
    locked_.clear();
    for (QWidget* control : std::initializer_list<QWidget*>{
             cmdAnadirCarp, cmdAnadirFich,  cmdQuitarElem,     CmdQuitarTodos,
             cmdDestino,    txtDir,         cmdCreaDirectorio, cmdBorraDir,
             optTodo,       optIncremental, txtNcopias,        updNC,
             optManual,     OptCada,        txtNumDSM,         updDSM,
             cboDSM,        chkHoraGraba,   txtHora,           updHora,
             txtMinutos,    updMinuto,      chkApaga,          cmdGuardar,
             cmdCopiar}) {
      locked_.emplace_back(control, control->isEnabledTo(this));
      control->setEnabled(false);
    }
  } else {
    for (const auto& [control, enabled] : locked_) control->setEnabled(enabled);
    locked_.clear();
  }
  cmdDetener->setEnabled(locked);
  EscStop->setEnabled(locked);
  if (locked) {
    cmdDetener->setFocus();
  } else if (focusWidget() == nullptr || !focusWidget()->isEnabled()) {
    cmdCopiar->setFocus();
  }
}

// However a run ended, the window says how, and nothing still looks busy.
void Form2::ShowRunOutcome() {
  Label6->setVisible(false);
  StopAnimation();
  SetAnimationVisible(false);
  CloseAnimation();
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
  switch (run_->LastEnd) {
    case RunEnd::NotRun:
      return;
    case RunEnd::Normal:
      outcome_ = job_.LastRunOutcome == 0 ? Outcome::Successful : Outcome::Error;
      break;
    case RunEnd::Error:
      if (stop_asked_) {
        outcome_ = Outcome::Stopped;
        Label8->setText(Q(TextUtf8(text_id::kBackupStopped) + when));
      } else {
        outcome_ = Outcome::Error;
        Label8->setText(Q(TextUtf8(text_id::kBackupError) + when + why));
      }
      break;
    case RunEnd::StoppedAtCheck:
      outcome_ = Outcome::Error;
      Label8->setText(Q(TextUtf8(text_id::kBackupError) + when + why));
      break;
  }
  ShowLastOutcome();
}

void Form2::EndAfterRun() {
  Form_Unload();
  QCoreApplication::quit();
}

// ---- What the space figures and the run show ----

QLabel* Form2::LabelOf(Control label) const {
  switch (label) {
    case Control::Label5:
      return Label5;
    case Control::Label7:
      return Label7;
    case Control::Label8:
      return Label8;
    case Control::Label9:
      return Label9;
    case Control::Label19:
      return Label19;
    case Control::Label20:
      return Label20;
    case Control::Label21:
      break;
  }
  return Label21;
}

void Form2::SetLabelText(Control label, const std::string& text) {
  QLabel* shown = LabelOf(label);
  shown->setText(Q(text));
  if (label == Control::Label8) shown->repaint();
  // A destination reported as not ready is forgotten, and its state with it.
  if (label == Control::Label5 && text.empty()) lblDestinationState->hide();
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
  if (!run_->Running()) {
    Dialogs::Message(this, Q(text), icon);
    return;
  }
  run_message_ = text;
  // A run waiting for OK keeps its unfinished copy and the destination's lock meanwhile.
  if (unattended_run_) {
    Dialogs::Show(this, Q(text), icon);
  } else {
    Dialogs::Message(this, Q(text), icon);
  }
}

bool Form2::ShowTab(int index) {
  if (SSTab1->currentIndex() == index) return false;
  tab_reaction_quiet_ = true;  // the caller runs the reaction itself
  SSTab1->setCurrentIndex(index);
  tab_reaction_quiet_ = false;
  // The page shown last takes the focus; during a run it belongs to Stop, for Space.
  if (cmdDetener->isEnabled()) cmdDetener->setFocus();
  return true;
}

void Form2::SetStatusPanel(int panel, const std::string& text) {
  if (panel < 1 || panel > 5) return;
  Panel[static_cast<std::size_t>(panel - 1)]->setText(Q(text));
}

void Form2::SetLabel6Visible(bool visible) { Label6->setVisible(visible); }

void Form2::SetTimer2Enabled(bool enabled) {
  if (enabled) {
    Timer2->start();
  } else {
    Timer2->stop();
  }
}

// The bar counts thousandths of an entry so that it can move inside a large one.
void Form2::SetProgressMaximum(int maximum) { ProgressBar1->setRange(0, maximum * 1000); }

void Form2::SetProgressValue(double value) {
  progress_value_ = value;
  // An entry starting shows where it starts; its bytes then carry the bar on.
  ProgressBar1->setValue(static_cast<int>(std::floor(value)) * 1000);
}

void Form2::ShowBytesCopied(std::uint64_t bytes, double selected_bytes) {
  if (selected_bytes <= 0) return;
  const double entries = ProgressBar1->maximum() / 1000.0;
  const double start = std::floor(progress_value_);
  // The bar follows the bytes of the whole run; it never shows less than the entries done,
  // nor the end before the run has ended.
  const double at = std::clamp(entries * static_cast<double>(bytes) / selected_bytes, start,
                               std::max(start, entries - 0.001));
  ProgressBar1->setValue(static_cast<int>(at * 1000));
}

void Form2::OpenAnimation(const std::string& path) {
  CloseAnimation();
  auto movie = std::make_unique<QMovie>(Q(path));
  if (!movie->isValid()) return;  // no clip: no animation, nothing else changes
  movie_ = std::move(movie);
  Animation1->setMovie(movie_.get());
  movie_->jumpToFrame(0);
}

void Form2::PlayAnimation() {
  if (movie_) movie_->start();
}

void Form2::StopAnimation() {
  if (movie_) movie_->stop();
}

void Form2::CloseAnimation() {
  Animation1->clear();
  movie_.reset();
}

void Form2::SetAnimationVisible(bool visible) { Animation1->setVisible(visible); }

void Form2::UnloadMainWindow() {
  Form_Unload();
  end_after_run_ = true;  // the run still finishes its last steps
}

}  // namespace orvessa
