// A program start as the guard sees it, for the guard's tests: claims the instance,
// prints its role ("first", "second", "unguarded"), and as the first prints "show:TOKEN"
// for every request.
#include <QCoreApplication>
#include <cstdio>

#include "platform/linux/instance_guard.hpp"

int main(int argc, char** argv) {
  const QString token = orvessa::ActivationToken();
  QCoreApplication app(argc, argv);
  orvessa::InstanceGuard guard;
  const auto role = guard.Claim(token);
  std::puts(role == orvessa::InstanceGuard::Role::First    ? "first"
            : role == orvessa::InstanceGuard::Role::Second ? "second"
                                                           : "unguarded");
  std::fflush(stdout);
  if (role != orvessa::InstanceGuard::Role::First) return 0;
  QObject::connect(&guard, &orvessa::InstanceGuard::showRequested, [](const QString& shown) {
    std::printf("show:%s\n", shown.toUtf8().constData());
    std::fflush(stdout);
  });
  guard.Serve();
  return QCoreApplication::exec();
}
