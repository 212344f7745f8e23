#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <memory>

#include "platform/inhibitor.hpp"

namespace orvessa {

// While armed, holds logind's shutdown delay lock, so that a shut-down asked for by any
// way is announced before it happens. logind gives no way to call such a shut-down off,
// and no copy fits in the few seconds it waits: the lock is then let go at once, so the
// shut-down is not held up for nothing (the session's own channels are the ones that can
// call it off, and they are asked first).
class LogindShutdownWatch : public QObject {
  Q_OBJECT
 public:
  LogindShutdownWatch(Inhibitor& inhibitor, QDBusConnection bus = QDBusConnection::systemBus(),
                      QString service = QStringLiteral("org.freedesktop.login1"));
  ~LogindShutdownWatch() override;

  void SetArmed(bool armed, const std::string& why);
  bool Holding() const { return lock_ != nullptr; }

 private slots:
  void PrepareForShutdown(bool starting);

 private:
  Inhibitor& inhibitor_;
  QDBusConnection bus_;
  bool armed_ = false;
  std::string why_;
  std::unique_ptr<InhibitLock> lock_;
};

}  // namespace orvessa
