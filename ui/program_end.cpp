#include "ui/program_end.hpp"

#include <QCoreApplication>
#include <string>

#include "core/power_off.hpp"
#include "ui/copy_tab.hpp"
#include "ui/run_session.hpp"
#include "ui/shutdown_copy.hpp"
#include "ui/window_placement.hpp"

namespace orvessa {

ProgramEnd::ProgramEnd(EndParts parts, SettingsStore& settings, PowerService& power,
                       float windows_version, const std::int16_t& language_base, QObject* parent)
    : QObject(parent),
      parts_(parts),
      settings_(settings),
      power_(power),
      WindowsVersion_(windows_version),
      language_base_(language_base) {
  RunSession* session = &parts_.session;
  connect(session, &RunSession::CopiedAll, this, [this] {
    if (power_off_after_copy_ && parts_.session.LastRunSucceeded()) {
      if (WindowsVersion_ >= kPowerOffVersion) power_.EnableShutdownPrivilege();
      Unload();
      parts_.session.EndWhenDone();  // the end of the run finishes its last steps
    }
  });
  connect(session, &RunSession::EndAfterRun, this, [this] { EndAfterRun(); });
}

void ProgramEnd::QueryUnload(bool by_user) {
  // Closing the window must never power the computer off.
  if (by_user && power_off_after_copy_) {
    parts_.copy.Schedule().ClearPowerOff();
    parts_.copy.RenderSchedule();
    power_off_after_copy_ = false;
  }
}

void ProgramEnd::Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  emit Unloading();
  // The session may end freely from here on, and our own power-off must not wait for us.
  parts_.shutdown.UpdateArming();
  settings_.Save("Language", "Language", std::to_string(language_base_));
  parts_.placement.Save();
  if (power_off_after_copy_) {
    PowerOffSystem(power_, WindowsVersion_);
    power_off_sent_ = true;
  }
  parts_.window.hide();
}

bool ProgramEnd::End(bool by_user) {
  QueryUnload(by_user);
  if (parts_.session.Running()) {
    parts_.session.StopAndEnd();
    parts_.window.hide();
    return false;
  }
  Unload();
  QCoreApplication::quit();
  return true;
}

void ProgramEnd::PowerOffAndEnd() {
  power_off_after_copy_ = true;
  if (WindowsVersion_ >= kPowerOffVersion) power_.EnableShutdownPrivilege();
  EndAfterRun();
}

void ProgramEnd::EndAfterRun() {
  Unload();
  QCoreApplication::quit();
}

}  // namespace orvessa
