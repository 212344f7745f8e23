#include "platform/linux/dbus_session_probe.hpp"

#include <QDBusMessage>
#include <QDBusReply>

namespace orvessa {

DbusSessionProbe::DbusSessionProbe(bool xsmp_connected, QDBusConnection session_bus,
                                   QDBusConnection system_bus)
    : xsmp_connected_(xsmp_connected),
      session_bus_(std::move(session_bus)),
      system_bus_(std::move(system_bus)) {}

bool DbusSessionProbe::SessionBusHasOwner(const std::string& name) const {
  return BusHasOwner(session_bus_, QString::fromStdString(name));
}

bool DbusSessionProbe::SystemBusHasOwner(const std::string& name) const {
  return BusHasOwner(system_bus_, QString::fromStdString(name));
}

bool BusHasOwner(const QDBusConnection& bus, const QString& name) {
  if (!bus.isConnected()) return false;
  // Asked directly with a short wait: a bus that hangs must not hold up the start.
  QDBusMessage ask = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
  ask << name;
  const QDBusReply<bool> reply = QDBusConnection(bus).call(ask, QDBus::Block, 1000);
  return reply.isValid() && reply.value();
}

}  // namespace orvessa
