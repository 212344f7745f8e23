// orvessa: the backup tool's window.
#include <QApplication>
#include <QDir>
#include <chrono>

#include "app/program_folders.hpp"
#include "core/power_off.hpp"
#include "platform/linux/logind_power.hpp"
#include "platform/linux/posix_file_system.hpp"
#include "platform/linux/qt_event_pump.hpp"
#include "platform/linux/qt_locale.hpp"
#include "platform/linux/qt_settings_store.hpp"
#include "platform/linux/system_clock.hpp"
#include "ui/form2.hpp"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QCoreApplication::setOrganizationName(QStringLiteral("Orvessa"));
  QCoreApplication::setApplicationName(QStringLiteral("Orvessa"));
  QGuiApplication::setDesktopFileName(QStringLiteral("orvessa"));

  using namespace orvessa;
  PosixFileSystem fs;
  SystemClock clock;
  QtLocale locale;
  QtEventPump pump;
  LogindPower power;
  QtSettingsStore settings;
  const std::string data_folder = DataFolder(QCoreApplication::applicationFilePath().toStdString());
  QApplication::setWindowIcon(QIcon(QString::fromStdString(data_folder + "/orvessa.png")));

  Form2 window(Form2Services{fs, clock, locale, pump, power, settings},
               Form2Folders{ProgramFolder(), data_folder, QDir::homePath().toStdString()},
               static_cast<std::int16_t>(StoredLanguageBase(settings)), ReadWindowsVersion(power));
  window.Form_Load();
  window.show();
  const int status = app.exec();

  if (window.PowerOffRequested()) {
    // The power-off request is asynchronous: give its answer (or the fallback) time.
    const auto until = pump.MonotonicNow() + std::chrono::seconds(5);
    while (pump.MonotonicNow() < until) pump.ProcessEvents(std::chrono::milliseconds(250));
  }
  return status;
}
