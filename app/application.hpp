#pragma once

#include <QByteArray>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>
#include <string>

class QApplication;
class QString;

namespace orvessa {

class DbusNotifier;
class Form1;
class LogindSleepWatch;
class Form2;
class ShutdownChannels;
class SignalWatcher;
class TrayIcon;
class TrayWait;

// The one place that builds the program's host services and its windows, once, and
// connects them; the programs' main functions only create it and run it.
class Application {
 public:
  // start_folder: where the source browser opens (the home folder when empty).
  explicit Application(QApplication& qt, const std::string& start_folder = {});
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // The main window, loaded.
  Form2& Window();
  // Shows the splash, then leaves the window in the tray (or, with no tray, minimised in
  // the task bar), and runs until the program ends; the exit status.
  int Run();
  // Brings the window up as the tray's Restore does; a second start's activation token,
  // when given, lets the desktop raise it.
  void ShowWindow(const QString& activation_token);

 private:
  void Load();
  // Once the splash has been up long enough and the tray had its chance to appear.
  void MaybeGoResident();
  void CheckTray();

  struct Services;
  std::unique_ptr<Services> services_;
  std::unique_ptr<SignalWatcher> signals_;
  // The window's services: they outlive it.
  std::unique_ptr<DbusNotifier> notifier_;
  std::unique_ptr<LogindSleepWatch> sleep_watch_;
  std::unique_ptr<Form2> window_;
  std::unique_ptr<ShutdownChannels> shutdown_channels_;
  std::unique_ptr<Form1> splash_;
  std::unique_ptr<TrayWait> tray_wait_;
  std::unique_ptr<TrayIcon> tray_;  // before the window goes, as it shows the window's menu
  QTimer tray_check_;
  bool loaded_ = false;
  bool splash_done_ = false;
  bool resident_ = false;
  bool tray_seen_ = false;
  std::optional<QByteArray> show_when_resident_;
};

}  // namespace orvessa
