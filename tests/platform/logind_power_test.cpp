#include "platform/linux/logind_power.hpp"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

// Nothing here talks to the machine's logind or starts systemctl: every LogindPower gets a
// private bus, or none, and a recorder in place of starting programs.

namespace orvessa {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class QtApplication : public ::testing::Environment {
 public:
  void SetUp() override { app_ = std::make_unique<QCoreApplication>(argc_, argv_); }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[18] = "logind_power_test";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QCoreApplication> app_;
};
const auto* const kApplication = ::testing::AddGlobalTestEnvironment(new QtApplication);

const QString kLogind = QStringLiteral("org.freedesktop.login1");

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 5s) {
  const Clock::time_point end = Clock::now() + limit;
  while (!done()) {
    if (Clock::now() > end) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

struct Started {
  QString program;
  QStringList args;
};

// Stands in for QProcess::startDetached.
struct StartRecorder {
  std::vector<Started> started;
  LogindPower::StartDetached Function() {
    return [this](const QString& program, const QStringList& args) {
      started.push_back({program, args});
      return true;
    };
  }
};

void ExpectSystemctlPowerOff(const Started& started) {
  EXPECT_EQ(started.program, QStringLiteral("systemctl"));
  EXPECT_EQ(started.args, QStringList{QStringLiteral("poweroff")});
}

// logind's Manager object as far as the program uses it. Answers on its own thread, so a
// blocking call from the test's thread still gets its reply.
class FakeLogind : public QDBusVirtualObject {
 public:
  struct Call {
    QString member;
    QVariantList args;
  };

  FakeLogind(QString can_power_off, QString power_off_error,
             std::chrono::milliseconds reply_delay = 0ms)
      : can_power_off_(std::move(can_power_off)),
        power_off_error_(std::move(power_off_error)),
        reply_delay_(reply_delay) {}

  QString introspect(const QString&) const override { return {}; }

  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    if (message.interface() != QStringLiteral("org.freedesktop.login1.Manager")) return false;
    QDBusMessage reply;
    if (message.member() == QStringLiteral("CanPowerOff")) {
      reply = message.createReply(can_power_off_);
    } else if (message.member() == QStringLiteral("PowerOff")) {
      reply = power_off_error_.isEmpty()
                  ? message.createReply()
                  : message.createErrorReply(power_off_error_, QStringLiteral("refused"));
    } else {
      return false;
    }
    std::this_thread::sleep_for(reply_delay_);
    std::lock_guard lock(mutex_);
    calls_.push_back({message.member(), message.arguments()});
    return connection.send(reply);
  }

  std::vector<Call> Calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
  }

 private:
  const QString can_power_off_;
  const QString power_off_error_;
  const std::chrono::milliseconds reply_delay_;
  mutable std::mutex mutex_;
  std::vector<Call> calls_;
};

TEST(KernelRelease, GivesMajorAndMinorOrNothing) {
  struct Case {
    const char* release;
    std::optional<std::pair<int, int>> version;
  };
  const Case cases[] = {
      {"6.1.0-18-amd64", std::pair{6, 1}},
      {"5.10", std::pair{5, 10}},
      {"4.19.0+", std::pair{4, 19}},
      {"4", std::pair{4, 0}},
      {"3.x", std::pair{3, 0}},
      {"abc", std::nullopt},
      {"", std::nullopt},
      {"-6.1", std::nullopt},
      {"99999999999.1", std::nullopt},
      {"6.99999999999", std::nullopt},
  };
  for (const Case& c : cases) {
    std::optional<HostVersion> got = ParseKernelRelease(c.release);
    ASSERT_EQ(got.has_value(), c.version.has_value()) << c.release;
    if (got) {
      EXPECT_EQ(std::pair(got->major, got->minor), *c.version) << c.release;
    }
  }
  std::optional<HostVersion> running = LogindPower(QDBusConnection(QString())).ReadHostVersion();
  ASSERT_TRUE(running);
  EXPECT_GE(running->major, 2);
}

TEST(LogindPowerWithoutBus, AnswersUnknownAndFallsBackAtOnce) {
  QDBusConnection nowhere = QDBusConnection::connectToBus(
      QStringLiteral("unix:path=/nonexistent/orvessa-bus"), QStringLiteral("orvessa-nowhere"));
  ASSERT_FALSE(nowhere.isConnected());
  StartRecorder recorder;
  LogindPower power(nowhere, kLogind, recorder.Function());
  power.EnableShutdownPrivilege();
  EXPECT_EQ(power.PowerOffAnswer(), QStringLiteral("unknown"));
  EXPECT_FALSE(power.MayTryPowerOff());
  power.ExitSystem(kExitPowerOff | kExitForce);
  ASSERT_EQ(recorder.started.size(), 1u);
  ExpectSystemctlPowerOff(recorder.started[0]);
  QDBusConnection::disconnectFromBus(QStringLiteral("orvessa-nowhere"));
}

// A dbus-daemon of the test's own, with the fake logind on a connection of its own.
class LogindPowerOnPrivateBus : public ::testing::Test {
 protected:
  void SetUp() override {
    if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty()) {
      GTEST_SKIP() << "dbus-daemon is not installed";
    }
    daemon_.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--nofork"),
                   QStringLiteral("--print-address")});
    ASSERT_TRUE(daemon_.waitForStarted(5000));
    while (!daemon_.canReadLine() && daemon_.waitForReadyRead(5000)) {
    }
    const QString address = QString::fromUtf8(daemon_.readLine()).trimmed();
    ASSERT_FALSE(address.isEmpty());
    client_ = QDBusConnection::connectToBus(address, QStringLiteral("orvessa-client"));
    service_ = QDBusConnection::connectToBus(address, QStringLiteral("orvessa-fake-logind"));
    ASSERT_TRUE(client_.isConnected());
    ASSERT_TRUE(service_.isConnected());
  }

  void TearDown() override {
    if (fake_) {
      service_.unregisterObject(QStringLiteral("/org/freedesktop/login1"));
      service_.unregisterService(kLogind);
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("orvessa-client"));
    QDBusConnection::disconnectFromBus(QStringLiteral("orvessa-fake-logind"));
    service_thread_.quit();
    service_thread_.wait();
    fake_.reset();
    if (daemon_.state() != QProcess::NotRunning) {
      daemon_.kill();
      daemon_.waitForFinished(5000);
    }
  }

  void StartFakeLogind(QString can_power_off, QString power_off_error = {},
                       std::chrono::milliseconds reply_delay = 0ms) {
    fake_ = std::make_unique<FakeLogind>(std::move(can_power_off), std::move(power_off_error),
                                         reply_delay);
    fake_->moveToThread(&service_thread_);
    service_thread_.start();
    ASSERT_TRUE(
        service_.registerVirtualObject(QStringLiteral("/org/freedesktop/login1"), fake_.get()));
    ASSERT_TRUE(service_.registerService(kLogind));
  }

  QProcess daemon_;
  QDBusConnection client_{QString()};
  QDBusConnection service_{QString()};
  QThread service_thread_;
  std::unique_ptr<FakeLogind> fake_;
  StartRecorder recorder_;
};

TEST_F(LogindPowerOnPrivateBus, RemembersWhetherPowerOffMayBeTried) {
  StartFakeLogind(QStringLiteral("challenge"));
  LogindPower power(client_, kLogind, recorder_.Function());
  power.EnableShutdownPrivilege();
  EXPECT_EQ(power.PowerOffAnswer(), QStringLiteral("challenge"));
  EXPECT_TRUE(power.MayTryPowerOff());
  ASSERT_EQ(fake_->Calls().size(), 1u);
  EXPECT_EQ(fake_->Calls()[0].member, QStringLiteral("CanPowerOff"));
}

TEST_F(LogindPowerOnPrivateBus, BothFormsCallPowerOffNonInteractivelyWithoutWaiting) {
  constexpr auto kReplyDelay = 300ms;
  StartFakeLogind(QStringLiteral("yes"), {}, kReplyDelay);
  LogindPower power(client_, kLogind, recorder_.Function());
  const Clock::time_point start = Clock::now();
  power.ExitSystem(kExitPowerOff | kExitForce);
  power.ExitSystem(kExitShutdown | kExitForce);
  EXPECT_LT(Clock::now() - start, kReplyDelay / 2);

  ASSERT_TRUE(PumpUntil([&] { return fake_->Calls().size() == 2; }));
  for (const FakeLogind::Call& call : fake_->Calls()) {
    EXPECT_EQ(call.member, QStringLiteral("PowerOff"));
    EXPECT_EQ(call.args, QVariantList{false});
  }
  // Time for the replies to reach the watchers: success must start nothing.
  PumpUntil([] { return false; }, 300ms);
  EXPECT_TRUE(recorder_.started.empty());
}

TEST_F(LogindPowerOnPrivateBus, RefusedPowerOffStartsSystemctl) {
  StartFakeLogind(QStringLiteral("challenge"),
                  QStringLiteral("org.freedesktop.DBus.Error.InteractiveAuthorizationRequired"));
  LogindPower power(client_, kLogind, recorder_.Function());
  power.ExitSystem(kExitPowerOff | kExitForce);
  EXPECT_TRUE(recorder_.started.empty());  // not before the answer
  ASSERT_TRUE(PumpUntil([&] { return !recorder_.started.empty(); }));
  ExpectSystemctlPowerOff(recorder_.started[0]);
  PumpUntil([] { return false; }, 100ms);
  EXPECT_EQ(recorder_.started.size(), 1u);
  EXPECT_EQ(fake_->Calls().size(), 1u);
}

TEST_F(LogindPowerOnPrivateBus, BusWithoutLogindGivesUnknownAndStartsSystemctl) {
  LogindPower power(client_, kLogind, recorder_.Function());
  power.EnableShutdownPrivilege();
  EXPECT_EQ(power.PowerOffAnswer(), QStringLiteral("unknown"));
  power.ExitSystem(kExitShutdown | kExitForce);
  ASSERT_TRUE(PumpUntil([&] { return !recorder_.started.empty(); }));
  ExpectSystemctlPowerOff(recorder_.started[0]);
}

}  // namespace
}  // namespace orvessa
