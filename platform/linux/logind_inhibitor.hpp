#pragma once

#include <QDBusConnection>
#include <QString>

#include "platform/inhibitor.hpp"

namespace orvessa {

// Inhibitor locks from systemd-logind: the lock is the file descriptor logind hands out.
class LogindInhibitor : public Inhibitor {
 public:
  explicit LogindInhibitor(QDBusConnection bus = QDBusConnection::systemBus(),
                           QString service = QStringLiteral("org.freedesktop.login1"));

  std::unique_ptr<InhibitLock> Inhibit(const InhibitRequest& request) override;

 private:
  QDBusConnection bus_;
  QString service_;
};

}  // namespace orvessa
