#include "platform/linux/logind_shutdown_watch.hpp"

namespace orvessa {

LogindShutdownWatch::LogindShutdownWatch(Inhibitor& inhibitor, QDBusConnection bus, QString service)
    : inhibitor_(inhibitor), bus_(std::move(bus)) {
  if (!bus_.isConnected()) return;
  bus_.connect(service, QStringLiteral("/org/freedesktop/login1"),
               QStringLiteral("org.freedesktop.login1.Manager"),
               QStringLiteral("PrepareForShutdown"), this, SLOT(PrepareForShutdown(bool)));
}

LogindShutdownWatch::~LogindShutdownWatch() = default;

void LogindShutdownWatch::SetArmed(bool armed, const std::string& why) {
  armed_ = armed;
  if (!armed) {
    lock_.reset();
    return;
  }
  if (lock_ && why == why_) return;
  why_ = why;
  // The new lock before the old one goes, so that no shut-down slips through between.
  lock_ = inhibitor_.Inhibit({"shutdown", "Orvessa", why_, "delay"});
}

void LogindShutdownWatch::PrepareForShutdown(bool starting) {
  if (!armed_) return;
  if (!starting) {
    // The shut-down was called off: hold it back again next time.
    if (!lock_) lock_ = inhibitor_.Inhibit({"shutdown", "Orvessa", why_, "delay"});
    return;
  }
  lock_.reset();
}

}  // namespace orvessa
