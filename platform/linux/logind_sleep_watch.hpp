#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include "platform/sleep_watch.hpp"

namespace orvessa {

// logind's PrepareForSleep(false), sent when the machine has resumed. Signals from any
// other sender on the bus are not logind's and are ignored.
class LogindSleepWatch : public QObject, public SleepWatch {
  Q_OBJECT
 public:
  explicit LogindSleepWatch(QDBusConnection bus = QDBusConnection::systemBus(),
                            QString service = QStringLiteral("org.freedesktop.login1"));
  void WhenResumed(std::function<void()> resumed) override { resumed_ = std::move(resumed); }
  bool Watching() const { return watching_; }

 private slots:
  void PrepareForSleep(bool going_to_sleep);

 private:
  std::function<void()> resumed_;
  bool watching_ = false;
};

}  // namespace orvessa
