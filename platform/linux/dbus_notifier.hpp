#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <functional>
#include <map>

#include "platform/notifier.hpp"

namespace orvessa {

// Notices through the desktop's notification service (org.freedesktop.Notifications).
// Where none answers, the fallback shows the notice another way (the tray's balloon);
// FallbackClicked then stands for a click on it.
class DbusNotifier : public QObject, public Notifier {
  Q_OBJECT
 public:
  using Fallback = std::function<void(const QString& summary, const QString& body)>;

  // icon: the program's icon, a file path or an icon name.
  DbusNotifier(QDBusConnection bus, QString icon, Fallback fallback);
  void Notify(Notice notice) override;
  void FallbackClicked();

 private slots:
  void ActionInvoked(uint id, const QString& action);
  void NotificationClosed(uint id, uint reason);

 private:
  void ShowByFallback(const Notice& notice);

  QDBusConnection bus_;
  QString icon_;
  Fallback fallback_;
  std::map<uint, std::function<void()>> shown_;  // by the service's notice id
  std::function<void()> fallback_clicked_;
};

}  // namespace orvessa
