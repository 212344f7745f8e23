// The window's life in the background: the tray, minimising, restoring, the last job.
#include <QEvent>
#include <QShowEvent>
#include <QWindowStateChangeEvent>

#include "i18n/text_ids.hpp"
#include "ui/form2.hpp"
#include "ui/job_tabs.hpp"
#include "ui/window_placement.hpp"

namespace orvessa {

void Form2::Form_Activate() {
  emit TrayIconWanted(Text(text_id::kTrayTip));
  SSTab1->ShowQuietly(0);
  if (!presence_->StaysVisible()) presence_->GoResident();
}

void Form2::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  placement_->Shown();
}

void Form2::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange || Unloaded()) return;
  const auto* change = static_cast<QWindowStateChangeEvent*>(event);
  if (!isMinimized()) {
    // Brought back from the task bar: kept on the screen as when restored from the tray.
    if (change->oldState() & Qt::WindowMinimized) placement_->FitWhenFramed();
    return;
  }
  presence_->Minimised();
}

void Form2::mnupopRestaurar_Click() {
  if (Unloaded()) return;
  presence_->BringUp();
  placement_->FitWhenFramed();
}

void Form2::mnupopSalir_Click() { end_->End(false); }

void Form2::EndBySignal() {
  if (!Unloaded()) end_->End(true);
}

}  // namespace orvessa
