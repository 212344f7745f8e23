// orvessa: the backup tool's window.
#include <QApplication>

#include "app/application.hpp"
#include "platform/linux/instance_guard.hpp"

int main(int argc, char** argv) {
  // Qt takes the launcher's token out of the environment when it starts.
  const QString token = orvessa::ActivationToken();
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
