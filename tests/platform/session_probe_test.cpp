#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <csignal>
#include <memory>

#include "platform/linux/dbus_session_probe.hpp"
#include "platform/linux/signal_watcher.hpp"
#include "tests/support/qt_core_environment.hpp"

// Two dbus-daemons of the test's own stand in for the session and the system bus; the
// machine's buses are never asked.

namespace orvessa {
namespace {

const auto* const kApplication =
    ::testing::AddGlobalTestEnvironment(new testing::QtCoreEnvironment);

struct PrivateBus {
  QProcess daemon;
  QString address;

  PrivateBus() {
    daemon.start(QStringLiteral("dbus-daemon"),
                 {QStringLiteral("--session"), QStringLiteral("--nofork"),
                  QStringLiteral("--print-address")});
    if (!daemon.waitForStarted(5000)) return;
    while (!daemon.canReadLine() && daemon.waitForReadyRead(5000)) {
    }
    address = QString::fromUtf8(daemon.readLine()).trimmed();
  }
  ~PrivateBus() {
    daemon.kill();
    daemon.waitForFinished(5000);
  }
  QDBusConnection Connect(const QString& name) const {
    return QDBusConnection::connectToBus(address, name);
  }
};

class SessionProbeOnPrivateBuses : public ::testing::Test {
 protected:
  void SetUp() override {
    if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty()) {
      GTEST_SKIP() << "dbus-daemon is not installed";
    }
    session_ = std::make_unique<PrivateBus>();
    system_ = std::make_unique<PrivateBus>();
    ASSERT_FALSE(session_->address.isEmpty());
    ASSERT_FALSE(system_->address.isEmpty());
  }
  void TearDown() override {
    for (const char* name : {"probe-session", "probe-system", "owner-session", "owner-system"}) {
      QDBusConnection::disconnectFromBus(QString::fromLatin1(name));
    }
  }

  std::string Detect(bool xsmp) {
    return DetectShutdownChannel(
        DbusSessionProbe(xsmp, session_->Connect(QStringLiteral("probe-session")),
                         system_->Connect(QStringLiteral("probe-system"))));
  }

  std::unique_ptr<PrivateBus> session_, system_;
};

TEST_F(SessionProbeOnPrivateBuses, FindsTheMostDirectChannelTheSessionOffers) {
  EXPECT_EQ(Detect(false), "none");
  // logind's name on the session bus is not logind.
  QDBusConnection session_owner = session_->Connect(QStringLiteral("owner-session"));
  ASSERT_TRUE(session_owner.registerService(QStringLiteral("org.freedesktop.login1")));
  EXPECT_EQ(Detect(false), "none");

  QDBusConnection system_owner = system_->Connect(QStringLiteral("owner-system"));
  ASSERT_TRUE(system_owner.registerService(QStringLiteral("org.freedesktop.login1")));
  EXPECT_EQ(Detect(false), "logind");
  ASSERT_TRUE(session_owner.registerService(QStringLiteral("org.gnome.SessionManager")));
  EXPECT_EQ(Detect(false), "gnome-session");
  EXPECT_EQ(Detect(true), "xsmp");
  // No bus means no owner.
  EXPECT_FALSE(BusHasOwner(QDBusConnection(QString()), QStringLiteral("org.freedesktop.DBus")));
}

TEST(SignalWatcher, TurnsEndingSignalsIntoEventsAndLetsTheProcessLive) {
  std::vector<int> received;
  {
    SignalWatcher watcher({SIGTERM, SIGHUP});
    ASSERT_TRUE(watcher.Installed());
    // Only one watcher per process can own the handlers.
    EXPECT_FALSE(SignalWatcher({SIGINT}).Installed());
    QObject::connect(&watcher, &SignalWatcher::Received,
                     [&received](int signal_number) { received.push_back(signal_number); });
    ASSERT_EQ(::raise(SIGTERM), 0);
    ASSERT_EQ(::raise(SIGHUP), 0);
    // Nothing arrives outside the event loop.
    EXPECT_TRUE(received.empty());
    for (int i = 0; i < 50 && received.size() < 2; ++i) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    EXPECT_EQ(received, (std::vector<int>{SIGTERM, SIGHUP}));
  }
  // Gone with the watcher: a new one can take over.
  SignalWatcher again({SIGTERM});
  EXPECT_TRUE(again.Installed());
}

}  // namespace
}  // namespace orvessa
