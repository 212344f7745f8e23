#pragma once

#include <QObject>
#include <QWidget>
#include <cstdint>

#include "platform/power.hpp"
#include "platform/settings_store.hpp"

namespace orvessa {

class CopyTab;
class RunSession;
class ShutdownCopy;
class WindowPlacement;

// What the end of the program touches of the window.
struct EndParts {
  QWidget& window;
  CopyTab& copy;
  ShutdownCopy& shutdown;
  WindowPlacement& placement;
  RunSession& session;
};

// How the program ends: a run in progress stops first, the window unloads once, and a copy
// that asked for it powers the computer off.
class ProgramEnd : public QObject {
  Q_OBJECT
 public:
  ProgramEnd(EndParts parts, SettingsStore& settings, PowerService& power, float windows_version,
             const std::int16_t& language_base, QObject* parent);

  // User: the close box or window menu; code: File > Exit and the end of a run.
  void QueryUnload(bool by_user);
  void Unload();
  // Ends the program, or, while a run is in progress, stops it and ends after it; false then.
  bool End(bool by_user);
  void PowerOffAndEnd();
  bool Unloaded() const { return unloaded_; }
  bool PowerOffSent() const { return power_off_sent_; }
  bool PowerOffAfterCopy() const { return power_off_after_copy_; }
  void SetPowerOffAfterCopy(bool power_off) { power_off_after_copy_ = power_off; }

 signals:
  // First step of the unload: the tray icon goes.
  void Unloading();

 private:
  void EndAfterRun();

  EndParts parts_;
  SettingsStore& settings_;
  PowerService& power_;
  float WindowsVersion_;
  const std::int16_t& language_base_;
  bool power_off_after_copy_ = false;
  bool unloaded_ = false;
  bool power_off_sent_ = false;
};

}  // namespace orvessa
