#include "platform/linux/logind_power.hpp"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QThread>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "tests/support/private_bus.hpp"
#include "tests/support/qt_core_environment.hpp"

// Nothing here talks to the machine's logind or starts systemctl: every LogindPower gets a
// private bus, or none, and a recorder in place of starting programs.

namespace orvessa {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using testing::PumpUntil;

const auto* const kApplication =
    ::testing::AddGlobalTestEnvironment(new testing::QtCoreEnvironment);

const QString kLogind = QStringLiteral("org.freedesktop.login1");
const QStringList kSystemctlPowerOff = {QStringLiteral("systemctl"), QStringLiteral("poweroff")};
constexpr auto kReplyDelay = 300ms;

TEST(KernelRelease, GivesMajorAndMinorOrNothing) {
  auto parsed = [](const char* release) {
    std::optional<HostVersion> got = ParseKernelRelease(release);
    return got ? std::to_string(got->major) + "." + std::to_string(got->minor) : "none";
  };
  EXPECT_EQ(parsed("6.1.0-18-amd64"), "6.1");
  EXPECT_EQ(parsed("4.19.0+"), "4.19");
  EXPECT_EQ(parsed("4"), "4.0");
  EXPECT_EQ(parsed("3.x"), "3.0");
  for (const char* bad : {"abc", "", "-6.1", "99999999999.1", "6.99999999999"}) {
    EXPECT_EQ(parsed(bad), "none") << bad;
  }
  std::optional<HostVersion> running = LogindPower(QDBusConnection(QString())).ReadHostVersion();
  ASSERT_TRUE(running);
  EXPECT_GE(running->major, 2);
}

// logind's Manager object as far as the program uses it: CanPowerOff says "challenge",
// PowerOff answers after a delay, with `error` when one is given. It answers on a thread of
// its own, so that a blocking call from the test's thread still gets its reply.
class FakeLogind : public QDBusVirtualObject {
 public:
  explicit FakeLogind(QString error) : error_(std::move(error)) {}

  QString introspect(const QString&) const override { return {}; }

  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    if (message.interface() != QStringLiteral("org.freedesktop.login1.Manager")) return false;
    if (message.member() == QStringLiteral("CanPowerOff")) {
      return connection.send(message.createReply(QStringLiteral("challenge")));
    }
    if (message.member() != QStringLiteral("PowerOff")) return false;
    std::this_thread::sleep_for(kReplyDelay);
    {
      std::lock_guard lock(mutex_);
      power_offs_.push_back(message.arguments());
    }
    return connection.send(error_.isEmpty()
                               ? message.createReply()
                               : message.createErrorReply(error_, QStringLiteral("refused")));
  }

  // The arguments of each PowerOff call answered so far.
  std::vector<QVariantList> PowerOffs() const {
    std::lock_guard lock(mutex_);
    return power_offs_;
  }

 private:
  const QString error_;
  mutable std::mutex mutex_;
  std::vector<QVariantList> power_offs_;
};

// A dbus-daemon of the test's own, with the fake logind on a connection of its own.
class LogindPowerOnPrivateBus : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!bus_.Start()) GTEST_SKIP() << "no dbus-daemon to run a private bus";
  }

  void TearDown() override {
    if (fake_) {
      bus_.service.unregisterObject(QStringLiteral("/org/freedesktop/login1"));
      bus_.service.unregisterService(kLogind);
    }
    service_thread_.quit();
    service_thread_.wait();
    fake_.reset();
  }

  void StartFakeLogind(QString power_off_error = {}) {
    fake_ = std::make_unique<FakeLogind>(std::move(power_off_error));
    fake_->moveToThread(&service_thread_);
    service_thread_.start();
    ASSERT_TRUE(
        bus_.service.registerVirtualObject(QStringLiteral("/org/freedesktop/login1"), fake_.get()));
    ASSERT_TRUE(bus_.service.registerService(kLogind));
  }

  // Stands in for QProcess::startDetached.
  LogindPower::StartDetached Recorder() {
    return [this](const QString& program, const QStringList& args) {
      started_.push_back(QStringList{program} + args);
      return true;
    };
  }

  testing::PrivateBus bus_;
  QThread service_thread_;
  std::unique_ptr<FakeLogind> fake_;
  std::vector<QStringList> started_;
};

TEST_F(LogindPowerOnPrivateBus, BothFormsAskForPowerOffNonInteractivelyWithoutWaiting) {
  StartFakeLogind();
  LogindPower power(bus_.client, kLogind, Recorder());
  power.EnableShutdownPrivilege();
  EXPECT_EQ(power.PowerOffAnswer(), QStringLiteral("challenge"));
  EXPECT_TRUE(power.MayTryPowerOff());

  const Clock::time_point start = Clock::now();
  power.ExitSystem(kExitPowerOff | kExitForce);
  power.ExitSystem(kExitShutdown | kExitForce);
  EXPECT_LT(Clock::now() - start, kReplyDelay / 2);
  ASSERT_TRUE(PumpUntil([&] { return fake_->PowerOffs().size() == 2; }));
  EXPECT_EQ(fake_->PowerOffs(), (std::vector<QVariantList>{{false}, {false}}));
  // Time for the replies to reach the watchers: success must start nothing.
  PumpUntil([] { return false; }, 300ms);
  EXPECT_TRUE(started_.empty());
}

TEST_F(LogindPowerOnPrivateBus, RefusedPowerOffStartsSystemctlOnceTheAnswerIsIn) {
  StartFakeLogind(QStringLiteral("org.freedesktop.DBus.Error.InteractiveAuthorizationRequired"));
  LogindPower power(bus_.client, kLogind, Recorder());
  power.ExitSystem(kExitPowerOff | kExitForce);
  EXPECT_TRUE(started_.empty());
  ASSERT_TRUE(PumpUntil([&] { return !started_.empty(); }));
  PumpUntil([] { return false; }, 100ms);
  EXPECT_EQ(started_, std::vector<QStringList>{kSystemctlPowerOff});
  EXPECT_EQ(fake_->PowerOffs().size(), 1u);
}

TEST_F(LogindPowerOnPrivateBus, WithoutLogindTheAnswerIsUnknownAndSystemctlIsStarted) {
  // A bus without logind, then no bus at all.
  for (const QDBusConnection& bus : {bus_.client, QDBusConnection(QString())}) {
    started_.clear();
    LogindPower power(bus, kLogind, Recorder());
    power.EnableShutdownPrivilege();
    EXPECT_EQ(power.PowerOffAnswer(), QStringLiteral("unknown"));
    EXPECT_FALSE(power.MayTryPowerOff());
    power.ExitSystem(kExitShutdown | kExitForce);
    ASSERT_TRUE(PumpUntil([&] { return !started_.empty(); }));
    EXPECT_EQ(started_, std::vector<QStringList>{kSystemctlPowerOff});
  }
}

}  // namespace
}  // namespace orvessa
