#include "platform/linux/dbus_notifier.hpp"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace orvessa {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kDefaultAction = QStringLiteral("default");

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

DbusNotifier::DbusNotifier(QDBusConnection bus, QString icon, Fallback fallback)
    : bus_(std::move(bus)), icon_(std::move(icon)), fallback_(std::move(fallback)) {
  if (!bus_.isConnected()) return;
  bus_.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
               SLOT(ActionInvoked(uint, QString)));
  bus_.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
               SLOT(NotificationClosed(uint, uint)));
}

void DbusNotifier::Notify(Notice notice) {
  if (!bus_.isConnected()) return ShowByFallback(notice);
  QDBusMessage call =
      QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
  const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("org.orvessa.Orvessa")}};
  call << QStringLiteral("Orvessa") << uint{0} << icon_ << Q(notice.summary) << Q(notice.body)
       << QStringList{kDefaultAction, Q(notice.action)} << hints << int{-1};
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [this, notice = std::move(notice)](QDBusPendingCallWatcher* finished) {
            const QDBusPendingReply<uint> reply = *finished;
            finished->deleteLater();
            if (reply.isError()) return ShowByFallback(notice);
            shown_[reply.value()] = notice.clicked;
          });
}

void DbusNotifier::ShowByFallback(const Notice& notice) {
  fallback_clicked_ = notice.clicked;
  if (fallback_) fallback_(Q(notice.summary), Q(notice.body));
}

void DbusNotifier::FallbackClicked() {
  if (fallback_clicked_) fallback_clicked_();
}

void DbusNotifier::ActionInvoked(uint id, const QString& action) {
  auto it = shown_.find(id);
  if (it == shown_.end() || action != kDefaultAction) return;
  if (it->second) it->second();
}

void DbusNotifier::NotificationClosed(uint id, uint) { shown_.erase(id); }

}  // namespace orvessa
