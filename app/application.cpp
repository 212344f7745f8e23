#include "app/application.hpp"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <chrono>
#include <csignal>

#include "app/desktop_host.hpp"
#include "app/desktop_url_opener.hpp"
#include "app/program_folders.hpp"
#include "app/shutdown_channels.hpp"
#include "core/power_off.hpp"
#include "platform/linux/dbus_notifier.hpp"
#include "platform/linux/dbus_session_probe.hpp"
#include "platform/linux/logind_inhibitor.hpp"
#include "platform/linux/logind_power.hpp"
#include "platform/linux/logind_sleep_watch.hpp"
#include "platform/linux/posix_file_system.hpp"
#include "platform/linux/qt_locale.hpp"
#include "platform/linux/qt_settings_store.hpp"
#include "platform/linux/serve_events.hpp"
#include "platform/linux/signal_watcher.hpp"
#include "platform/linux/steady_monotonic.hpp"
#include "platform/linux/system_clock.hpp"
#include "platform/linux/xdg_autostart.hpp"
#include "ui/first_run.hpp"
#include "ui/form1.hpp"
#include "ui/form2.hpp"
#include "ui/tray.hpp"
#include "ui/tray_wait.hpp"

namespace orvessa {
namespace {

using namespace std::chrono_literals;

constexpr auto kSplashTime = 2s;
// How long the start waits for a tray that comes up with the session after the program.
constexpr auto kTrayWait = 4s;
constexpr auto kTrayCheckInterval = 3s;

}  // namespace

struct Application::Services {
  PosixFileSystem fs;
  SystemClock clock;
  QtLocale locale;
  SteadyMonotonic time;
  LogindPower power;
  QtSettingsStore settings;
  DesktopUrlOpener opener;
  LogindInhibitor inhibitor;
  // The shipped entry from the read-only data folder; Exec starts this very program.
  XdgAutostart autostart{DataFolder(QCoreApplication::applicationFilePath().toStdString()) +
                             "/autostart/" + XdgAutostart::kEntryName,
                         QCoreApplication::applicationFilePath().toStdString()};
};

Application::Application(QApplication& qt, const std::string& start_folder) {
  (void)qt;  // must exist before the services and the window
  // First, so that an end asked for during the start is not a sudden death.
  signals_ = std::make_unique<SignalWatcher>(std::initializer_list<int>{SIGTERM, SIGINT, SIGHUP});
  QCoreApplication::setOrganizationName(QStringLiteral("Orvessa"));
  QCoreApplication::setApplicationName(QStringLiteral("Orvessa"));
  QGuiApplication::setDesktopFileName(QStringLiteral("org.orvessa.Orvessa"));
  // The program lives on in the tray with no window shown.
  QApplication::setQuitOnLastWindowClosed(false);
  services_ = std::make_unique<Services>();
  const std::string data_folder = DataFolder(QCoreApplication::applicationFilePath().toStdString());
  const QString icon_path = QString::fromStdString(data_folder + "/orvessa.png");
  QApplication::setWindowIcon(QIcon(icon_path));

  Services& s = *services_;
  const auto language = static_cast<std::int16_t>(StoredLanguageBase(s.settings));
  // The end of an automatic run is announced; a wake-up has the schedule looked at.
  notifier_ = std::make_unique<DbusNotifier>(QDBusConnection::sessionBus(), icon_path,
                                             [this](const QString& title, const QString& body) {
                                               if (tray_) tray_->ShowMessage(title, body);
                                             });
  sleep_watch_ = std::make_unique<LogindSleepWatch>();
  window_ = std::make_unique<Form2>(
      Form2Services{s.fs, s.fs, s.clock, s.locale, s.time, s.power, s.settings, s.autostart,
                    s.inhibitor, s.opener, *notifier_, *sleep_watch_},
      Form2Folders{ProgramFolder(), data_folder,
                   start_folder.empty() ? QDir::homePath().toStdString() : start_folder,
                   StateFolder()},
      language, ReadWindowsVersion(s.power));
  shutdown_channels_ = std::make_unique<ShutdownChannels>(*window_, s.inhibitor);
  splash_ = std::make_unique<Form1>(QString::fromStdString(data_folder + "/splash.png"), language);
  splash_->Form_Load();
  tray_wait_ = std::make_unique<TrayWait>(&TrayHostPresent);

  QObject::connect(signals_.get(), &SignalWatcher::Received, window_.get(), [this](int) {
    Load();
    window_->EndBySignal();
  });
}

Application::~Application() = default;

void Application::Load() {
  if (loaded_) return;
  loaded_ = true;
  window_->Form_Load();
}

Form2& Application::Window() {
  Load();
  return *window_;
}

int Application::Run() {
  QObject::connect(splash_.get(), &Form1::MinimumShown, window_.get(), [this] {
    splash_done_ = true;
    MaybeGoResident();
  });
  QObject::connect(tray_wait_.get(), &TrayWait::Finished, window_.get(),
                   [this] { MaybeGoResident(); });
  splash_->ShowFor(kSplashTime);
  tray_wait_->Start(kTrayWait);
  // The window loads behind the splash once the splash is on the screen.
  QTimer::singleShot(100, window_.get(), [this] {
    Load();
    MaybeGoResident();
  });

  const int status = QApplication::exec();
  if (window_->PowerOffRequested()) {
    // The power-off request is asynchronous: give its answer (or the fallback) time.
    ServeEventsFor(std::chrono::seconds(5));
  }
  return status;
}

void Application::MaybeGoResident() {
  if (resident_ || !loaded_ || !splash_done_ || !tray_wait_->Done() || window_->Unloaded()) {
    return;
  }
  resident_ = true;
  splash_->hide();

  // The first tray question: Qt keeps its answer about status notifier trays from here on.
  tray_seen_ = TrayIcon::Available();
  tray_ = std::make_unique<TrayIcon>(QApplication::windowIcon(), window_->TrayMenu());
  Form2* window = window_.get();
  QObject::connect(window, &Form2::TrayIconWanted, tray_.get(), &TrayIcon::Add);
  QObject::connect(window, &Form2::Unloading, tray_.get(), &TrayIcon::Remove);
  QObject::connect(tray_.get(), &TrayIcon::RestoreRequested, window,
                   [window] { window->mnupopRestaurar_Click(); });
  QObject::connect(tray_.get(), &TrayIcon::MessageClicked, notifier_.get(),
                   &DbusNotifier::FallbackClicked);
  window->SetTrayQuery(&TrayIcon::Available);
  window->Form_Activate();
  // A time of copy that passed while the program was not running is caught up soon.
  window->CheckScheduleSoon();

  tray_check_.setInterval(kTrayCheckInterval);
  QObject::connect(&tray_check_, &QTimer::timeout, window, [this] { CheckTray(); });
  tray_check_.start();

  LearnShutdownChannel(nullptr, services_->settings, DbusSessionProbe(XsmpWatch::Connected()),
                       window->LanguageBase());
  window->SetShutdownChannel(services_->settings.Get("Language", "ShutDown", ""));
  if (show_when_resident_) {
    const QByteArray token = *show_when_resident_;
    show_when_resident_.reset();
    ShowWindow(QString::fromUtf8(token));
  }
}

void Application::CheckTray() {
  const bool available = TrayIcon::Available();
  if (available == tray_seen_) return;
  tray_seen_ = available;
  window_->TrayChanged(available);
}

void Application::ShowWindow(const QString& activation_token) {
  const QByteArray token = activation_token.toUtf8();
  if (!resident_) {
    // Still starting: shown as soon as the start is over.
    show_when_resident_ = token;
    return;
  }
  BeforeActivation(token);
  window_->mnupopRestaurar_Click();
  AfterActivation(*window_, token);
}

}  // namespace orvessa
