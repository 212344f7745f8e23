#include "app/desktop_host.hpp"

#include <xcb/xcb.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QWidget>
#include <cstring>

#include "platform/linux/dbus_session_probe.hpp"

namespace orvessa {
namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");

xcb_connection_t* X11Connection() {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->connection() : nullptr;
}

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
      connection,
      xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
  const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  std::free(reply);
  return atom;
}

xcb_window_t RootOf(xcb_connection_t* connection) {
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
  return screen ? screen->root : xcb_window_t{XCB_WINDOW_NONE};
}

bool X11TrayOwned() {
  xcb_connection_t* connection = X11Connection();
  if (connection == nullptr) return false;
  const xcb_atom_t selection = Atom(connection, "_NET_SYSTEM_TRAY_S0");
  if (selection == XCB_ATOM_NONE) return false;
  xcb_get_selection_owner_reply_t* reply = xcb_get_selection_owner_reply(
      connection, xcb_get_selection_owner(connection, selection), nullptr);
  const bool owned = reply && reply->owner != XCB_WINDOW_NONE;
  std::free(reply);
  return owned;
}

bool StatusNotifierHostPresent() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!BusHasOwner(bus, kWatcher)) return false;
  QDBusMessage ask = QDBusMessage::createMethodCall(
      kWatcher, QStringLiteral("/StatusNotifierWatcher"),
      QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
  ask << kWatcher << QStringLiteral("IsStatusNotifierHostRegistered");
  const QDBusReply<QDBusVariant> reply = bus.call(ask, QDBus::Block, 1000);
  return reply.isValid() && reply.value().variant().toBool();
}

void SendClientMessage(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t type,
                       std::uint8_t format, const void* data, std::size_t size,
                       std::uint32_t mask) {
  xcb_client_message_event_t event{};
  event.response_type = XCB_CLIENT_MESSAGE;
  event.format = format;
  event.window = window;
  event.type = type;
  std::memcpy(event.data.data8, data, std::min<std::size_t>(size, 20));
  xcb_send_event(connection, 0, RootOf(connection), mask, reinterpret_cast<const char*>(&event));
}

// Ends the start-up notice the launcher began for token: the "remove" message, in pieces
// of 20 bytes, as the start-up notification protocol sends text.
void RemoveStartupNotice(xcb_connection_t* connection, xcb_window_t window,
                         const QByteArray& token) {
  QByteArray message("remove: ID=\"");
  for (char c : token) {
    if (c == '"' || c == '\\') message += '\\';
    message += c;
  }
  message += "\"";
  message += '\0';
  const xcb_atom_t begin = Atom(connection, "_NET_STARTUP_INFO_BEGIN");
  const xcb_atom_t more = Atom(connection, "_NET_STARTUP_INFO");
  for (qsizetype at = 0; at < message.size(); at += 20) {
    char piece[20] = {};
    std::memcpy(piece, message.constData() + at, std::min<qsizetype>(20, message.size() - at));
    SendClientMessage(connection, window, at == 0 ? begin : more, 8, piece, sizeof piece,
                      XCB_EVENT_MASK_PROPERTY_CHANGE);
  }
}

void ActivateOnX11(QWidget& window, const QByteArray& token) {
  xcb_connection_t* connection = X11Connection();
  if (connection == nullptr) return;
  const auto id = static_cast<xcb_window_t>(window.winId());
  // The window manager reads the launch's time from the window's startup id.
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, Atom(connection, "_NET_STARTUP_ID"),
                      Atom(connection, "UTF8_STRING"), 8, static_cast<std::uint32_t>(token.size()),
                      token.constData());
  const std::uint32_t active[5] = {1, static_cast<std::uint32_t>(StartupIdTime(token)), 0, 0, 0};
  SendClientMessage(connection, id, Atom(connection, "_NET_ACTIVE_WINDOW"), 32, active,
                    sizeof active,
                    XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT);
  RemoveStartupNotice(connection, id, token);
  xcb_flush(connection);
}

bool OnWayland() { return QGuiApplication::platformName().startsWith(QStringLiteral("wayland")); }

}  // namespace

bool TrayHostPresent() {
  // Wayland has no XEmbed tray.
  return StatusNotifierHostPresent() || (!OnWayland() && X11TrayOwned());
}

unsigned long StartupIdTime(const QByteArray& startup_id) {
  const qsizetype at = startup_id.lastIndexOf("_TIME");
  if (at < 0) return 0;
  bool ok = false;
  const unsigned long time = startup_id.mid(at + 5).toULong(&ok);
  return ok ? time : 0;
}

void BeforeActivation(const QByteArray& token) {
  // Qt's Wayland window hands this token to the compositor when it asks to be activated.
  if (OnWayland() && !token.isEmpty()) qputenv("XDG_ACTIVATION_TOKEN", token);
}

void AfterActivation(QWidget& window, const QByteArray& token) {
  if (!OnWayland() && !token.isEmpty()) ActivateOnX11(window, token);
}

}  // namespace orvessa
