#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <utility>

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
  // The notice's own click and its other action, by the service's notice id.
  std::map<uint, std::pair<std::function<void()>, std::function<void()>>> shown_;
  std::function<void()> fallback_clicked_;
};

}  // namespace orvessa
