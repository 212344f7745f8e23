#include "app/application.hpp"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <chrono>

#include "app/program_folders.hpp"
#include "core/power_off.hpp"
#include "platform/linux/logind_power.hpp"
#include "platform/linux/posix_file_system.hpp"
#include "platform/linux/qt_event_pump.hpp"
#include "platform/linux/qt_locale.hpp"
#include "platform/linux/qt_settings_store.hpp"
#include "platform/linux/system_clock.hpp"
#include "platform/linux/xdg_autostart.hpp"
#include "ui/form2.hpp"

namespace orvessa {

struct Application::Services {
  PosixFileSystem fs;
  SystemClock clock;
  QtLocale locale;
  QtEventPump pump;
  LogindPower power;
  QtSettingsStore settings;
  // The shipped entry from the read-only data folder; Exec starts this very program.
  XdgAutostart autostart{DataFolder(QCoreApplication::applicationFilePath().toStdString()) +
                             "/autostart/" + XdgAutostart::kEntryName,
                         QCoreApplication::applicationFilePath().toStdString()};
};

Application::Application(QApplication& qt, const std::string& start_folder) {
  (void)qt;  // must exist before the services and the window
  QCoreApplication::setOrganizationName(QStringLiteral("Orvessa"));
  QCoreApplication::setApplicationName(QStringLiteral("Orvessa"));
  QGuiApplication::setDesktopFileName(QStringLiteral("org.orvessa.Orvessa"));
  services_ = std::make_unique<Services>();
  const std::string data_folder = DataFolder(QCoreApplication::applicationFilePath().toStdString());
  QApplication::setWindowIcon(QIcon(QString::fromStdString(data_folder + "/orvessa.png")));

  Services& s = *services_;
  window_ = std::make_unique<Form2>(
      Form2Services{s.fs, s.clock, s.locale, s.pump, s.power, s.settings, s.autostart},
      Form2Folders{ProgramFolder(), data_folder,
                   start_folder.empty() ? QDir::homePath().toStdString() : start_folder},
      static_cast<std::int16_t>(StoredLanguageBase(s.settings)), ReadWindowsVersion(s.power));
  window_->Form_Load();
}

Application::~Application() = default;

Form2& Application::Window() { return *window_; }

void Application::ShowWindow(const QString& activation_token) {
  // Wayland's compositor lets a window take the focus only with the launcher's token.
  if (!activation_token.isEmpty() && QGuiApplication::platformName() == QStringLiteral("wayland")) {
    qputenv("XDG_ACTIVATION_TOKEN", activation_token.toUtf8());
  }
  window_->showNormal();
  window_->raise();
  window_->activateWindow();
}

int Application::Run() {
  window_->show();
  const int status = QApplication::exec();
  if (window_->PowerOffRequested()) {
    // The power-off request is asynchronous: give its answer (or the fallback) time.
    QtEventPump& pump = services_->pump;
    const auto until = pump.MonotonicNow() + std::chrono::seconds(5);
    while (pump.MonotonicNow() < until) pump.ProcessEvents(std::chrono::milliseconds(250));
  }
  return status;
}

}  // namespace orvessa
