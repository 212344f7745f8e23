// orvessa: the backup tool's window.
#include <xcb/xcb.h>

#include <QApplication>
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/application.hpp"
#include "platform/linux/instance_guard.hpp"

namespace {

bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] != '\0';
}

// Whether Qt will find a display to open a window on; without one it would abort.
bool DisplayReachable() {
  if (Set("QT_QPA_PLATFORM")) {
    const std::string platform = std::getenv("QT_QPA_PLATFORM");
    if (platform.rfind("xcb", 0) != 0 && platform.rfind("wayland", 0) != 0) return true;
  }
  if (Set("WAYLAND_DISPLAY")) return true;
  if (!Set("DISPLAY")) return false;
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  const bool reached = xcb_connection_has_error(connection) == 0;
  xcb_disconnect(connection);
  return reached;
}

}  // namespace

int main(int argc, char** argv) {
  // Qt takes the launcher's token out of the environment when it starts.
  const QString token = orvessa::ActivationToken();
  if (!DisplayReachable()) {
    // From a terminal or ssh: the program on the desktop can still be asked to show up.
    QCoreApplication core(argc, argv);
    orvessa::InstanceGuard guard;
    if (guard.AskRunningToShow(token)) return 0;
    std::fputs(
        "Orvessa: there is no display to show the window on, and no Orvessa runs on the "
        "desktop to show it.\nStart it from the desktop; to back up without a window, use "
        "orvessa-run JOBFILE.\n",
        stderr);
    return 1;
  }
  QApplication qt(argc, argv);
  orvessa::InstanceGuard guard;
  // A later start only asks the running one to show itself: no window, no splash.
  if (guard.Claim(token) == orvessa::InstanceGuard::Role::Second) return 0;
  orvessa::Application application(qt);
  QObject::connect(
      &guard, &orvessa::InstanceGuard::showRequested,
      [&application](const QString& shown_token) { application.ShowWindow(shown_token); });
  guard.Serve();
  return application.Run();
}
