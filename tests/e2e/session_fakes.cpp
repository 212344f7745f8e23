// Stand-ins for the desktop's services, for the end-to-end tests; they run only on the
// private buses the tests start.
//   session_fakes logind            org.freedesktop.login1 on DBUS_SYSTEM_BUS_ADDRESS
//   session_fakes gnome             org.gnome.SessionManager on DBUS_SESSION_BUS_ADDRESS
//   session_fakes notifications [S] org.freedesktop.Notifications on the session bus: one
//                                   line "app|icon|summary|body" a notice (new lines as
//                                   "\n"), each clicked S seconds later when S is given
//   session_fakes own NAME..        only owns the names on the session bus
// Each prints "ready", then one line per event. With FAKE_WATCH set to a path, every line
// ends in [exists] or [missing]: whether that path was there at the moment of the event.
// The test's own interface org.orvessa.Test, on the manager's object, plays the user:
//   logind: PrepareForShutdown(b)        emits the signal of that name
//   gnome:  QueryEndSession, EndSession, Stop   emit those signals to the client
#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDBusVirtualObject>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>

namespace {

const QString kTest = QStringLiteral("org.orvessa.Test");

void Log(const QString& line) {
  QString shown = line;
  const QString watched = qEnvironmentVariable("FAKE_WATCH");
  if (!watched.isEmpty()) {
    shown +=
        QFileInfo::exists(watched) ? QStringLiteral(" [exists]") : QStringLiteral(" [missing]");
  }
  std::printf("%s\n", shown.toUtf8().constData());
  std::fflush(stdout);
}

class FakeLogind : public QDBusVirtualObject {
 public:
  QString introspect(const QString&) const override { return {}; }

  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    const QString member = message.member();
    const QVariantList args = message.arguments();
    if (message.interface() == kTest && member == QStringLiteral("PrepareForShutdown")) {
      QDBusMessage signal = QDBusMessage::createSignal(
          QStringLiteral("/org/freedesktop/login1"),
          QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForShutdown"));
      signal << args.value(0).toBool();
      Log(QStringLiteral("prepare %1").arg(args.value(0).toBool()));
      return connection.send(signal) && connection.send(message.createReply());
    }
    if (member == QStringLiteral("CanPowerOff")) {
      return connection.send(message.createReply(QStringLiteral("yes")));
    }
    if (member == QStringLiteral("PowerOff")) {
      Log(QStringLiteral("poweroff %1").arg(args.value(0).toBool()));
      return connection.send(message.createReply());
    }
    if (member != QStringLiteral("Inhibit") || args.size() != 4) return false;
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) return false;
    const int number = ++locks_;
    Log(QStringLiteral("inhibit %1|%2|%3|%4 #%5")
            .arg(args[0].toString(), args[1].toString(), args[2].toString(), args[3].toString())
            .arg(number));
    // Once every copy of the write end is closed, the read end reads end of file.
    auto* notifier = new QSocketNotifier(ends[0], QSocketNotifier::Read);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [notifier, ends, number] {
      char byte;
      if (::read(ends[0], &byte, 1) > 0) return;
      Log(QStringLiteral("release #%1").arg(number));
      notifier->setEnabled(false);
      ::close(ends[0]);
      notifier->deleteLater();
    });
    const bool sent =
        connection.send(message.createReply(QVariant::fromValue(QDBusUnixFileDescriptor(ends[1]))));
    ::close(ends[1]);
    return sent;
  }

 private:
  int locks_ = 0;
};

class FakeGnomeSession : public QDBusVirtualObject {
 public:
  QString introspect(const QString&) const override { return {}; }

  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    const QString member = message.member();
    const QVariantList args = message.arguments();
    if (member == QStringLiteral("RegisterClient")) {
      client_ = QStringLiteral("/org/gnome/SessionManager/Client%1").arg(++clients_);
      Log(QStringLiteral("register %1|%2").arg(args.value(0).toString(), args.value(1).toString()));
      return connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(client_))));
    }
    if (member == QStringLiteral("UnregisterClient")) {
      Log(QStringLiteral("unregister"));
      client_.clear();
      return connection.send(message.createReply());
    }
    if (member == QStringLiteral("EndSessionResponse")) {
      Log(QStringLiteral("response %1|%2")
              .arg(args.value(0).toBool())
              .arg(args.value(1).toString()));
      return connection.send(message.createReply());
    }
    if (message.interface() != kTest || client_.isEmpty()) return false;
    QDBusMessage signal = QDBusMessage::createSignal(
        client_, QStringLiteral("org.gnome.SessionManager.ClientPrivate"), member);
    if (member != QStringLiteral("Stop")) signal << 1u;
    Log(QStringLiteral("sent %1").arg(member));
    return connection.send(signal) && connection.send(message.createReply());
  }

 private:
  QString client_;
  int clients_ = 0;
};

// Notify as a user meets it: printed, and clicked after a while when asked to.
class FakeNotifications : public QDBusVirtualObject {
 public:
  explicit FakeNotifications(int click_after_ms) : click_after_ms_(click_after_ms) {}
  QString introspect(const QString&) const override { return {}; }

  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    const QVariantList a = message.arguments();
    if (message.member() != QStringLiteral("Notify") || a.size() < 5) return false;
    Log(QStringList{a[0].toString(), a[2].toString(), a[3].toString(),
                    a[4].toString().replace(QLatin1Char('\n'), QStringLiteral("\\n"))}
            .join(QLatin1Char('|')));
    const uint id = ++last_id_;
    if (click_after_ms_ >= 0) {
      QTimer::singleShot(click_after_ms_, [connection, id] {
        QDBusMessage click = QDBusMessage::createSignal(
            QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("ActionInvoked"));
        click << id << QStringLiteral("default");
        QDBusConnection(connection).send(click);
      });
    }
    return connection.send(message.createReply(QVariant::fromValue(id)));
  }

 private:
  int click_after_ms_;
  uint last_id_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments().mid(1);
  const QString kind = args.value(0);
  QDBusConnection bus = kind == QStringLiteral("logind") ? QDBusConnection::systemBus()
                                                         : QDBusConnection::sessionBus();
  FakeLogind logind;
  FakeGnomeSession gnome;
  FakeNotifications notifications(args.size() > 1 ? args[1].toInt() * 1000 : -1);
  QStringList names = args.mid(1);
  bool served = true;
  if (kind == QStringLiteral("logind")) {
    served = bus.registerVirtualObject(QStringLiteral("/org/freedesktop/login1"), &logind);
    names = {QStringLiteral("org.freedesktop.login1")};
  } else if (kind == QStringLiteral("gnome")) {
    served = bus.registerVirtualObject(QStringLiteral("/org/gnome/SessionManager"), &gnome,
                                       QDBusConnection::SubPath);
    names = {QStringLiteral("org.gnome.SessionManager")};
  } else if (kind == QStringLiteral("notifications")) {
    served =
        bus.registerVirtualObject(QStringLiteral("/org/freedesktop/Notifications"), &notifications);
    names = {QStringLiteral("org.freedesktop.Notifications")};
  } else if (kind != QStringLiteral("own")) {
    std::fprintf(stderr, "usage: session_fakes logind|gnome|notifications [S]|own NAME..\n");
    return 2;
  }
  for (const QString& name : names) served = served && bus.registerService(name);
  if (!served) {
    std::fprintf(stderr, "cannot serve %s\n", qPrintable(names.join(QLatin1Char(' '))));
    return 1;
  }
  Log(QStringLiteral("ready"));
  return QCoreApplication::exec();
}
