// Owns the given names on the session bus (DBUS_SESSION_BUS_ADDRESS) until it is ended,
// standing in for a desktop service that the program only looks for.
//   bus_name_owner NAME...
#include <QCoreApplication>
#include <QDBusConnection>
#include <cstdio>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QDBusConnection bus = QDBusConnection::sessionBus();
  for (int i = 1; i < argc; ++i) {
    if (!bus.registerService(QString::fromLocal8Bit(argv[i]))) {
      std::fprintf(stderr, "cannot own %s\n", argv[i]);
      return 1;
    }
  }
  std::printf("ready\n");
  std::fflush(stdout);
  return QCoreApplication::exec();
}
