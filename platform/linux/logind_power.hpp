#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/power.hpp"

namespace orvessa {

// "major.minor..." of a kernel release ("6.1.0-18-amd64" is 6.1). A release with a major
// number only counts as minor 0; one that does not start with a digit is unknown.
std::optional<HostVersion> ParseKernelRelease(std::string_view release);

// Power-off through systemd-logind.
//
// Both forms of shut-down become logind's PowerOff: halting needs an administrator here.
// When there is no bus or logind answers with an error, `systemctl poweroff` is started
// instead; where the policy forbids powering off, that fails quietly as well.
class LogindPower : public PowerService {
 public:
  using StartDetached = std::function<bool(const QString& program, const QStringList& args)>;

  // An empty start_detached means QProcess::startDetached.
  explicit LogindPower(QDBusConnection bus = QDBusConnection::systemBus(),
                       QString service = QStringLiteral("org.freedesktop.login1"),
                       StartDetached start_detached = {});
  ~LogindPower() override;

  std::optional<HostVersion> ReadHostVersion() const override;
  void EnableShutdownPrivilege() override;
  void ExitSystem(unsigned flags) override;

  // logind's CanPowerOff answer ("yes", "no", "challenge", "na"), or "unknown" without one.
  const QString& PowerOffAnswer() const { return power_off_answer_; }
  bool MayTryPowerOff() const;

 private:
  QDBusConnection bus_;
  QString service_;
  StartDetached start_detached_;
  QString power_off_answer_;
  // Owns the watchers of calls still in flight, so none outlives this object.
  std::unique_ptr<QObject> pending_calls_;
};

}  // namespace orvessa
