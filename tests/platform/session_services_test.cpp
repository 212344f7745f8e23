// The session's services as the program meets them, against fakes on private buses (never
// the machine's): the notice at the end of a run, the watch for the machine waking up, the
// channel a shut-down is announced on; and the signals that end the program.
#include <gtest/gtest.h>

#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <csignal>

#include "platform/linux/dbus_notifier.hpp"
#include "platform/linux/dbus_session_probe.hpp"
#include "platform/linux/logind_sleep_watch.hpp"
#include "platform/linux/signal_watcher.hpp"
#include "tests/support/private_bus.hpp"
#include "tests/support/qt_core_environment.hpp"

namespace orvessa {
namespace {

using namespace std::chrono_literals;
using testing::PumpUntil;

const auto* const kApplication =
    ::testing::AddGlobalTestEnvironment(new testing::QtCoreEnvironment);

const QString kNotifications = QStringLiteral("org.freedesktop.Notifications");
const QString kNotificationsPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kLogind = QStringLiteral("org.freedesktop.login1");
const QString kLogindPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");

// The notification service as far as Notify goes: it keeps the calls and numbers them.
class FakeNotifications : public QDBusVirtualObject {
 public:
  QString introspect(const QString&) const override { return {}; }
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    if (message.member() != QStringLiteral("Notify")) return false;
    calls.push_back(message.arguments());
    return connection.send(message.createReply(QVariant::fromValue(uint(40 + calls.size()))));
  }
  std::vector<QVariantList> calls;
};

class DesktopServices : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!bus_.Start()) GTEST_SKIP() << "no dbus-daemon to run a private bus";
  }
  void OwnNotifications() {
    ASSERT_TRUE(bus_.service.registerVirtualObject(kNotificationsPath, &fake_));
    ASSERT_TRUE(bus_.service.registerService(kNotifications));
  }
  void Emit(const QDBusConnection& from, const QString& path, const QString& interface,
            const QString& name, const QVariantList& arguments) {
    QDBusMessage signal = QDBusMessage::createSignal(path, interface, name);
    signal.setArguments(arguments);
    ASSERT_TRUE(QDBusConnection(from).send(signal));
  }

  testing::PrivateBus bus_;
  FakeNotifications fake_;
};

TEST_F(DesktopServices, NoticeGoesToTheServiceAndItsClickComesBack) {
  OwnNotifications();
  std::vector<QString> fallback;
  DbusNotifier notifier(
      bus_.client, QStringLiteral("/data/orvessa.png"),
      [&](const QString& summary, const QString&) { fallback.push_back(summary); });
  int clicks = 0, restores = 0;
  notifier.Notify({"Finished Backup", "Files: 3", "Click to restore Orvessa.", [&] { ++clicks; },
                   "Restore", [&] { ++restores; }});
  ASSERT_TRUE(PumpUntil([&] { return fake_.calls.size() == 1; }));
  const QVariantList& call = fake_.calls.front();
  ASSERT_EQ(call.size(), 8);
  EXPECT_EQ(call[0].toString(), QStringLiteral("Orvessa"));
  EXPECT_EQ(call[2].toString(), QStringLiteral("/data/orvessa.png"));
  EXPECT_EQ(call[3].toString(), QStringLiteral("Finished Backup"));
  EXPECT_EQ(call[4].toString(), QStringLiteral("Files: 3"));
  EXPECT_EQ(call[5].toStringList(),
            (QStringList{QStringLiteral("default"), QStringLiteral("Click to restore Orvessa."),
                         QStringLiteral("other"), QStringLiteral("Restore")}));
  PumpUntil([] { return false; }, 200ms);  // the reply with the notice's number

  // Another notice's action, an action unknown to us, then our two: each runs once.
  Emit(bus_.service, kNotificationsPath, kNotifications, QStringLiteral("ActionInvoked"),
       {uint(99), QStringLiteral("default")});
  Emit(bus_.service, kNotificationsPath, kNotifications, QStringLiteral("ActionInvoked"),
       {uint(41), QStringLiteral("unknown")});
  Emit(bus_.service, kNotificationsPath, kNotifications, QStringLiteral("ActionInvoked"),
       {uint(41), QStringLiteral("other")});
  Emit(bus_.service, kNotificationsPath, kNotifications, QStringLiteral("ActionInvoked"),
       {uint(41), QStringLiteral("default")});
  ASSERT_TRUE(PumpUntil([&] { return clicks > 0; }));
  PumpUntil([] { return false; }, 200ms);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(restores, 1);
  EXPECT_TRUE(fallback.empty());
}

TEST_F(DesktopServices, WithoutANotificationServiceTheFallbackShowsTheNotice) {
  for (const QDBusConnection& bus : {bus_.client, QDBusConnection(QString())}) {
    std::vector<QString> shown;
    DbusNotifier notifier(bus, QString(), [&](const QString& summary, const QString& body) {
      shown.push_back(summary + QLatin1Char('|') + body);
    });
    int clicks = 0;
    notifier.Notify({"Backup Error", "Disk full", "", [&] { ++clicks; }, "", {}});
    ASSERT_TRUE(PumpUntil([&] { return !shown.empty(); }));
    EXPECT_EQ(shown, std::vector<QString>{QStringLiteral("Backup Error|Disk full")});
    notifier.FallbackClicked();
    EXPECT_EQ(clicks, 1);
  }
}

TEST_F(DesktopServices, OnlyLogindsWakeUpSignalCountsAsAResume) {
  LogindSleepWatch watch(bus_.client, kLogind);
  ASSERT_TRUE(watch.Watching());
  int resumed = 0;
  watch.WhenResumed([&] { ++resumed; });
  // Sent by a connection that is not logind: ignored.
  Emit(bus_.service, kLogindPath, kManager, QStringLiteral("PrepareForSleep"), {false});
  PumpUntil([] { return false; }, 300ms);
  EXPECT_EQ(resumed, 0);

  ASSERT_TRUE(bus_.service.registerService(kLogind));
  PumpUntil([] { return false; }, 200ms);  // the owner change reaches the watch
  Emit(bus_.service, kLogindPath, kManager, QStringLiteral("PrepareForSleep"), {true});
  Emit(bus_.service, kLogindPath, kManager, QStringLiteral("PrepareForSleep"), {false});
  ASSERT_TRUE(PumpUntil([&] { return resumed > 0; }));
  PumpUntil([] { return false; }, 200ms);
  EXPECT_EQ(resumed, 1);
  bus_.service.unregisterService(kLogind);
}

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
  ASSERT_TRUE(session_.service.registerService(kLogind));
  EXPECT_EQ(Detect(false), "none");

  ASSERT_TRUE(system_.service.registerService(kLogind));
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
