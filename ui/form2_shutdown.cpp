// The copy when the session ends. No dialog is watched for on this host: the session's
// channels call its end off while armed and then hand over here.
#include "core/power_off.hpp"
#include "i18n/text_ids.hpp"
#include "platform/session_probe.hpp"
#include "ui/dialogs.hpp"
#include "ui/form2.hpp"
#include "ui/run_controller.hpp"

namespace orvessa {

bool Form2::AtShutdownArmed() const {
  return !unloaded_ && copy_->AtShutdownChecked() && job_.CopyAtShutdown;
}

void Form2::UpdateArming() {
  const bool armed = AtShutdownArmed();
  if (armed == armed_shown_) return;
  armed_shown_ = armed;
  emit AtShutdownArmedChanged(armed);
}

void Form2::SetShutdownChannel(const std::string& channel) {
  shutdown_channel_ = channel != kChannelNone;
  ApplyShutdownChannel();
}

void Form2::ApplyShutdownChannel() { copy_->SetShutdownChannel(shutdown_channel_); }

void Form2::SessionEndRequested() {
  if (!AtShutdownArmed() || shutdown_flow_) return;
  if (runner_->Running()) {
    shutdown_after_run_ = true;
    return;
  }
  shutdown_flow_ = true;
  CopyAtShutdown();
}

void Form2::CopyAtShutdown() {
  const auto answer =
      Dialogs::Message(this, Text(text_id::kBackupThenShutdown), MessageIcon::Information,
                       Dialogs::Buttons::OkCancel, Text(text_id::kMainTitle));
  if (answer != QMessageBox::Ok) {
    // No copy and no power-off: the program ends, so the next request to end goes ahead.
    shutdown_flow_ = false;
    mnuArchivo_Salir_Click();
    return;
  }
  in_tray_ = false;
  setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
  raise();
  activateWindow();
  last_end_ = RunEnd::NotRun;  // a run refused before it began is no success
  unattended_run_ = true;      // the user is leaving the computer
  StartRun([this] {
    unattended_run_ = false;
    if (unloaded_) {  // closed during the run: never powers off
      shutdown_flow_ = false;
      return;
    }
    // The pause after the run, so the user sees how it ended before the computer goes off.
    QTimer::singleShot(after_run_pause_, this, [this] {
      shutdown_flow_ = false;
      if (unloaded_) return;
      if (last_end_ != RunEnd::Normal || job_.LastRunOutcome != 0) {
        // Powering off would hide the failure: the window stays up showing it, and the
        // copy at shutdown stays armed for the next request.
        StayVisibleWhenActive_ = true;
        return;
      }
      hide();
      StayVisibleWhenActive_ = false;
      power_off_after_copy_ = true;
      if (WindowsVersion_ >= kPowerOffVersion) power_.EnableShutdownPrivilege();
      EndAfterRun();
    });
  });
}

}  // namespace orvessa
