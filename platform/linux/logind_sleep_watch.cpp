#include "platform/linux/logind_sleep_watch.hpp"

namespace orvessa {

LogindSleepWatch::LogindSleepWatch(QDBusConnection bus, QString service) {
  watching_ = bus.isConnected() &&
              bus.connect(service, QStringLiteral("/org/freedesktop/login1"),
                          QStringLiteral("org.freedesktop.login1.Manager"),
                          QStringLiteral("PrepareForSleep"), this, SLOT(PrepareForSleep(bool)));
}

void LogindSleepWatch::PrepareForSleep(bool going_to_sleep) {
  if (!going_to_sleep && resumed_) resumed_();
}

}  // namespace orvessa
