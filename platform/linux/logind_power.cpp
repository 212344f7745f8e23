#include "platform/linux/logind_power.hpp"

#include <sys/utsname.h>

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QProcess>
#include <charconv>

namespace orvessa {
namespace {

const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kInterface = QStringLiteral("org.freedesktop.login1.Manager");
const QString kUnknown = QStringLiteral("unknown");
// The privilege question must not hold up closing the window when logind hangs.
constexpr int kCanPowerOffTimeoutMs = 2000;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads the digits at the start of text; nothing, or too many, gives no number.
std::optional<int> LeadingNumber(std::string_view& text) {
  if (text.empty() || !IsDigit(text.front())) return std::nullopt;
  int value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{}) return std::nullopt;
  text.remove_prefix(static_cast<std::size_t>(end - text.data()));
  return value;
}

void StartSystemctlPowerOff(const LogindPower::StartDetached& start_detached) {
  start_detached(QStringLiteral("systemctl"), {QStringLiteral("poweroff")});
}

}  // namespace

std::optional<HostVersion> ParseKernelRelease(std::string_view release) {
  std::optional<int> major = LeadingNumber(release);
  if (!major) return std::nullopt;
  HostVersion version{*major, 0};
  if (release.size() > 1 && release.front() == '.' && IsDigit(release[1])) {
    release.remove_prefix(1);
    std::optional<int> minor = LeadingNumber(release);
    if (!minor) return std::nullopt;
    version.minor = *minor;
  }
  return version;
}

LogindPower::LogindPower(QDBusConnection bus, QString service, StartDetached start_detached)
    : bus_(std::move(bus)),
      service_(std::move(service)),
      start_detached_(std::move(start_detached)),
      power_off_answer_(kUnknown),
      pending_calls_(std::make_unique<QObject>()) {
  if (!start_detached_) {
    start_detached_ = [](const QString& program, const QStringList& args) {
      return QProcess::startDetached(program, args);
    };
  }
}

LogindPower::~LogindPower() = default;

std::optional<HostVersion> LogindPower::ReadHostVersion() const {
  utsname names{};
  if (::uname(&names) != 0) return std::nullopt;
  return ParseKernelRelease(names.release);
}

void LogindPower::EnableShutdownPrivilege() {
  power_off_answer_ = kUnknown;
  if (!bus_.isConnected()) return;
  QDBusMessage question =
      QDBusMessage::createMethodCall(service_, kPath, kInterface, QStringLiteral("CanPowerOff"));
  QDBusMessage reply = bus_.call(question, QDBus::Block, kCanPowerOffTimeoutMs);
  if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
    power_off_answer_ = reply.arguments().constFirst().toString();
  }
}

bool LogindPower::MayTryPowerOff() const {
  return power_off_answer_ == QLatin1String("yes") ||
         power_off_answer_ == QLatin1String("challenge");
}

void LogindPower::ExitSystem(unsigned) {
  if (!bus_.isConnected()) {
    StartSystemctlPowerOff(start_detached_);
    return;
  }
  QDBusMessage call =
      QDBusMessage::createMethodCall(service_, kPath, kInterface, QStringLiteral("PowerOff"));
  call << false;  // interactive: no password prompt while the program closes
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), pending_calls_.get());
  QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                   [start_detached = start_detached_](QDBusPendingCallWatcher* finished) {
                     if (finished->isError()) StartSystemctlPowerOff(start_detached);
                     finished->deleteLater();
                   });
}

}  // namespace orvessa
