#include "platform/linux/logind_inhibitor.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>

namespace orvessa {
namespace {

// A logind that hangs must not hold up the start of a run for long.
constexpr int kInhibitTimeoutMs = 2000;

class FdLock : public InhibitLock {
 public:
  explicit FdLock(int fd) : fd_(fd) {}
  ~FdLock() override { ::close(fd_); }
  FdLock(const FdLock&) = delete;
  FdLock& operator=(const FdLock&) = delete;

 private:
  int fd_;
};

}  // namespace

LogindInhibitor::LogindInhibitor(QDBusConnection bus, QString service)
    : bus_(std::move(bus)), service_(std::move(service)) {}

std::unique_ptr<InhibitLock> LogindInhibitor::Inhibit(const InhibitRequest& request) {
  if (!bus_.isConnected()) return nullptr;
  QDBusMessage call = QDBusMessage::createMethodCall(
      service_, QStringLiteral("/org/freedesktop/login1"),
      QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
  call << QString::fromStdString(request.what) << QString::fromStdString(request.who)
       << QString::fromStdString(request.why) << QString::fromStdString(request.mode);
  const QDBusMessage reply = bus_.call(call, QDBus::Block, kInhibitTimeoutMs);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return nullptr;
  const auto fd = qvariant_cast<QDBusUnixFileDescriptor>(reply.arguments().constFirst());
  if (!fd.isValid()) return nullptr;
  // The descriptor object closes its copy when it goes; the lock keeps one of its own,
  // which programs started later do not inherit.
  const int own = ::fcntl(fd.fileDescriptor(), F_DUPFD_CLOEXEC, 0);
  if (own < 0) return nullptr;
  return std::make_unique<FdLock>(own);
}

}  // namespace orvessa
