#include "platform/linux/gnome_session_client.hpp"

#include <QDBusMessage>
#include <QDBusObjectPath>

namespace orvessa {
namespace {

const QString kManagerPath = QStringLiteral("/org/gnome/SessionManager");
const QString kManagerInterface = QStringLiteral("org.gnome.SessionManager");
const QString kClientInterface = QStringLiteral("org.gnome.SessionManager.ClientPrivate");
constexpr int kCallTimeoutMs = 2000;

}  // namespace

GnomeSessionClient::GnomeSessionClient(QString app_id, QDBusConnection bus, QString service)
    : app_id_(std::move(app_id)), bus_(std::move(bus)), service_(std::move(service)) {}

GnomeSessionClient::~GnomeSessionClient() { Unregister(); }

void GnomeSessionClient::SetArmed(bool armed, const QString& reason) {
  armed_ = armed;
  reason_ = reason;
  if (armed && !Registered()) Register();
  if (!armed) Unregister();
}

bool GnomeSessionClient::Connect(const char* signal, const char* slot, bool connect) {
  const QString name = QString::fromLatin1(signal);
  return connect ? bus_.connect(service_, client_path_, kClientInterface, name, this, slot)
                 : bus_.disconnect(service_, client_path_, kClientInterface, name, this, slot);
}

void GnomeSessionClient::Register() {
  if (!bus_.isConnected()) return;
  QDBusMessage call = QDBusMessage::createMethodCall(service_, kManagerPath, kManagerInterface,
                                                     QStringLiteral("RegisterClient"));
  // A start by the session passes its startup id; a start by hand has none.
  call << app_id_ << QString::fromLocal8Bit(qgetenv("DESKTOP_AUTOSTART_ID"));
  const QDBusMessage reply = bus_.call(call, QDBus::Block, kCallTimeoutMs);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return;
  client_path_ = qvariant_cast<QDBusObjectPath>(reply.arguments().constFirst()).path();
  if (client_path_.isEmpty()) return;
  Connect("QueryEndSession", SLOT(QueryEndSession(uint)), true);
  Connect("EndSession", SLOT(EndSession(uint)), true);
  Connect("Stop", SLOT(Stop()), true);
}

void GnomeSessionClient::Unregister() {
  if (!Registered()) return;
  Connect("QueryEndSession", SLOT(QueryEndSession(uint)), false);
  Connect("EndSession", SLOT(EndSession(uint)), false);
  Connect("Stop", SLOT(Stop()), false);
  QDBusMessage call = QDBusMessage::createMethodCall(service_, kManagerPath, kManagerInterface,
                                                     QStringLiteral("UnregisterClient"));
  call << QVariant::fromValue(QDBusObjectPath(client_path_));
  bus_.call(call, QDBus::Block, kCallTimeoutMs);
  client_path_.clear();
}

void GnomeSessionClient::Respond(bool ok, const QString& reason) {
  QDBusMessage call = QDBusMessage::createMethodCall(service_, client_path_, kClientInterface,
                                                     QStringLiteral("EndSessionResponse"));
  call << ok << reason;
  bus_.send(call);
}

void GnomeSessionClient::QueryEndSession(uint) {
  if (!armed_) {
    Respond(true, QString());
    return;
  }
  Respond(false, reason_);
  emit EndRequested();
}

void GnomeSessionClient::EndSession(uint) {
  Respond(true, QString());
  emit StopRequested();
}

void GnomeSessionClient::Stop() { emit StopRequested(); }

}  // namespace orvessa
