#include "ui/shutdown_copy.hpp"

#include <QTimer>

#include "i18n/text_ids.hpp"
#include "platform/session_probe.hpp"
#include "ui/dialogs.hpp"

namespace orvessa {

ShutdownCopy::ShutdownCopy(ShellHost& host, TrayPresence& presence, CopyTab& copy,
                           const BackupJob& job, std::chrono::milliseconds after_run_pause,
                           QWidget& window)
    : QObject(&window),
      host_(host),
      presence_(presence),
      copy_(copy),
      job_(job),
      after_run_pause_(after_run_pause),
      window_(window) {}

bool ShutdownCopy::Armed() const {
  return !host_.Unloaded() && copy_.AtShutdownChecked() && job_.CopyAtShutdown;
}

void ShutdownCopy::UpdateArming() {
  const bool armed = Armed();
  if (armed == armed_shown_) return;
  armed_shown_ = armed;
  emit ArmedChanged(armed);
}

void ShutdownCopy::SetChannel(const std::string& channel) {
  shutdown_channel_ = channel != kChannelNone;
  ApplyChannel();
}

void ShutdownCopy::ApplyChannel() { copy_.SetShutdownChannel(shutdown_channel_); }

void ShutdownCopy::SessionEndRequested() {
  if (!Armed() || shutdown_flow_) return;
  if (host_.RunInProgress()) {
    shutdown_after_run_ = true;
    return;
  }
  shutdown_flow_ = true;
  CopyAtShutdown();
}

void ShutdownCopy::RunEnded() {
  if (!shutdown_after_run_) return;
  // Asked once this run and whatever started it have finished.
  shutdown_after_run_ = false;
  QTimer::singleShot(0, this, [this] { SessionEndRequested(); });
}

void ShutdownCopy::CopyAtShutdown() {
  const auto answer =
      Dialogs::Message(&window_, host_.Text(text_id::kBackupThenShutdown), MessageIcon::Information,
                       Dialogs::Buttons::OkCancel, host_.Text(text_id::kMainTitle));
  if (answer != QMessageBox::Ok) {
    // No copy and no power-off: the program ends, so the next request to end goes ahead.
    shutdown_flow_ = false;
    host_.ExitProgram();
    return;
  }
  presence_.BringUp();
  // The user is leaving the computer.
  host_.StartUnattendedRun([this] {
    if (host_.Unloaded()) {  // closed during the run: never powers off
      shutdown_flow_ = false;
      return;
    }
    // The pause after the run, so the user sees how it ended before the computer goes off.
    QTimer::singleShot(after_run_pause_, this, [this] {
      shutdown_flow_ = false;
      if (host_.Unloaded()) return;
      if (!host_.LastRunSucceeded()) {
        // Powering off would hide the failure: the window stays up showing it, and the
        // copy at shutdown stays armed for the next request.
        presence_.StayVisible(true);
        return;
      }
      window_.hide();
      presence_.StayVisible(false);
      host_.PowerOffAndEnd();
    });
  });
}

}  // namespace orvessa
