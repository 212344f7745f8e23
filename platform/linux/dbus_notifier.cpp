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
const QString kOtherAction = QStringLiteral("other");

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
  QStringList actions{kDefaultAction, Q(notice.action)};
  if (!notice.other_action.empty()) actions << kOtherAction << Q(notice.other_action);
  call << QStringLiteral("Orvessa") << uint{0} << icon_ << Q(notice.summary) << Q(notice.body)
       << actions << hints << int{-1};
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [this, notice = std::move(notice)](QDBusPendingCallWatcher* finished) {
            const QDBusPendingReply<uint> reply = *finished;
            finished->deleteLater();
            if (reply.isError()) return ShowByFallback(notice);
            shown_[reply.value()] = {notice.clicked, notice.other_clicked};
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
  if (it == shown_.end()) return;
  const auto& clicked = action == kDefaultAction ? it->second.first
                        : action == kOtherAction ? it->second.second
                                                 : std::function<void()>();
  if (clicked) clicked();
}

void DbusNotifier::NotificationClosed(uint id, uint) { shown_.erase(id); }

}  // namespace orvessa
