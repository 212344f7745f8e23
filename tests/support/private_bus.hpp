#pragma once

#include <QCoreApplication>
#include <QDBusConnection>
#include <QProcess>
#include <QStandardPaths>
#include <chrono>
#include <functional>
#include <thread>

namespace orvessa::testing {

// A dbus-daemon of the test's own (never the machine's buses), with two connections: the
// program's side and the side of the fake service.
class PrivateBus {
 public:
  // Names the two connections; two buses at once need two names.
  explicit PrivateBus(QString name = QStringLiteral("orvessa-test")) : name_(std::move(name)) {}
  PrivateBus(const PrivateBus&) = delete;
  PrivateBus& operator=(const PrivateBus&) = delete;

  // False when dbus-daemon is missing or does not come up.
  bool Start() {
    if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty()) return false;
    daemon_.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--nofork"),
                   QStringLiteral("--print-address")});
    if (!daemon_.waitForStarted(5000)) return false;
    while (!daemon_.canReadLine() && daemon_.waitForReadyRead(5000)) {
    }
    address = QString::fromUtf8(daemon_.readLine()).trimmed();
    client = QDBusConnection::connectToBus(address, name_ + QStringLiteral("-client"));
    service = QDBusConnection::connectToBus(address, name_ + QStringLiteral("-service"));
    return client.isConnected() && service.isConnected();
  }

  ~PrivateBus() {
    QDBusConnection::disconnectFromBus(name_ + QStringLiteral("-client"));
    QDBusConnection::disconnectFromBus(name_ + QStringLiteral("-service"));
    if (daemon_.state() != QProcess::NotRunning) {
      daemon_.kill();
      daemon_.waitForFinished(5000);
    }
  }

  QString address;
  QDBusConnection client{QString()};
  QDBusConnection service{QString()};

 private:
  QString name_;
  QProcess daemon_;
};

// Runs the event loop until done() holds or the limit has passed; whether it held.
inline bool PumpUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds limit = std::chrono::seconds(5)) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace orvessa::testing
