#pragma once

#include <QDBusConnection>

#include "platform/session_probe.hpp"

namespace orvessa {

// The session as D-Bus and the X session manager show it. The system bus is the one
// DBUS_SYSTEM_BUS_ADDRESS names, when set.
class DbusSessionProbe : public SessionProbe {
 public:
  DbusSessionProbe(bool xsmp_connected, QDBusConnection session_bus = QDBusConnection::sessionBus(),
                   QDBusConnection system_bus = QDBusConnection::systemBus());

  bool XsmpConnected() const override { return xsmp_connected_; }
  bool SessionBusHasOwner(const std::string& name) const override;
  bool SystemBusHasOwner(const std::string& name) const override;

 private:
  bool xsmp_connected_;
  QDBusConnection session_bus_;
  QDBusConnection system_bus_;
};

// Whether name has an owner on bus; false without a bus or an answer within a second.
bool BusHasOwner(const QDBusConnection& bus, const QString& name);

}  // namespace orvessa
