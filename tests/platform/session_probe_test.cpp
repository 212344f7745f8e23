#include <gtest/gtest.h>

#include <QCoreApplication>
#include <csignal>

#include "platform/linux/dbus_session_probe.hpp"
#include "platform/linux/signal_watcher.hpp"
#include "tests/support/private_bus.hpp"
#include "tests/support/qt_core_environment.hpp"

// Two dbus-daemons of the test's own stand in for the session and the system bus; the
// machine's buses are never asked.

namespace orvessa {
namespace {

const auto* const kApplication =
    ::testing::AddGlobalTestEnvironment(new testing::QtCoreEnvironment);

class SessionProbeOnPrivateBuses : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!session_.Start() || !system_.Start()) GTEST_SKIP() << "no dbus-daemon for private buses";
  }

  std::string Detect(bool xsmp) {
    return DetectShutdownChannel(DbusSessionProbe(xsmp, session_.client, system_.client));
  }

  testing::PrivateBus session_{QStringLiteral("session")}, system_{QStringLiteral("system")};
};

TEST_F(SessionProbeOnPrivateBuses, FindsTheMostDirectChannelTheSessionOffers) {
  EXPECT_EQ(Detect(false), "none");
  // logind's name on the session bus is not logind.
  ASSERT_TRUE(session_.service.registerService(QStringLiteral("org.freedesktop.login1")));
  EXPECT_EQ(Detect(false), "none");

  ASSERT_TRUE(system_.service.registerService(QStringLiteral("org.freedesktop.login1")));
  EXPECT_EQ(Detect(false), "logind");
  ASSERT_TRUE(session_.service.registerService(QStringLiteral("org.gnome.SessionManager")));
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
