// The window's life in the background: the tray, minimising, restoring, the last job.
#include <QEvent>
#include <QTimer>
#include <QWindowStateChangeEvent>

#include "core/run_records.hpp"
#include "core/space_accounting.hpp"
#include "i18n/text_ids.hpp"
#include "ui/form2.hpp"
#include "ui/qt_text.hpp"

namespace orvessa {

void Form2::RestoreLastJob() {
  const std::string path = ReadLastCopyRecord(fs_, folders_.program_folder);
  // Only a full path: a bare name would depend on the folder the program was started in.
  if (!path.empty() && path.front() == '/') {
    identity_ = JobFileIdentity::FromPath(path);
    if (fs_.FileExists(path)) {
      Panel[1]->setText(Q(identity_.JobFileName));
      LoadJob(path, true);
    }
  }
  const QString needed = Q(FormatKilobytes(job_.SelectedBytes, locale_));
  source_->ShowNeeded(needed);
  copy_->ShowNeeded(needed);
}

void Form2::Form_Activate() {
  emit TrayIconWanted(Text(text_id::kTrayTip));
  tab_reaction_quiet_ = true;
  SSTab1->setCurrentIndex(0);
  tab_reaction_quiet_ = false;
  if (!StayVisibleWhenActive_) GoResident();
}

void Form2::GoResident() {
  if (TrayReady()) {
    HideToTray();
    return;
  }
  // No tray to come back from: the window stays in the task bar.
  in_tray_ = false;
  ShowMinimizedInTaskBar();
}

void Form2::ShowMinimizedInTaskBar() {
  // The native window first: Qt passes the minimised state on only to a window that exists.
  (void)winId();
  showMinimized();
}

void Form2::HideToTray() {
  StayVisibleWhenActive_ = false;
  in_tray_ = true;
  hide();
}

void Form2::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange || unloaded_) return;
  const auto* change = static_cast<QWindowStateChangeEvent*>(event);
  if (!isMinimized()) {
    // Brought back from the task bar: kept on the screen as when restored from the tray.
    if (change->oldState() & Qt::WindowMinimized) FitWhenFramed();
    return;
  }
  if (in_tray_) return;
  StayVisibleWhenActive_ = false;
  // Hidden once the state change is over; a window minimised with no tray stays in the
  // task bar, the only place it can be restored from.
  QTimer::singleShot(0, this, [this] {
    if (isMinimized() && isVisible() && !unloaded_ && TrayReady()) HideToTray();
  });
}

void Form2::TrayChanged(bool available) {
  if (unloaded_) return;
  if (available && isVisible() && isMinimized()) {
    HideToTray();
  } else if (!available && in_tray_) {
    in_tray_ = false;
    ShowMinimizedInTaskBar();
  }
}

void Form2::mnupopRestaurar_Click() {
  if (unloaded_) return;
  in_tray_ = false;
  setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
  raise();
  activateWindow();
  FitWhenFramed();
}

void Form2::mnupopSalir_Click() { EndProgram(false); }

void Form2::EndBySignal() {
  if (unloaded_) return;
  EndProgram(true);
}

}  // namespace orvessa
