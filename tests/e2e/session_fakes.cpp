// Stand-ins for logind and a GNOME-style session manager, for the end-to-end tests; they
// run only on the private buses the tests start.
//   session_fakes logind   org.freedesktop.login1 on DBUS_SYSTEM_BUS_ADDRESS
//   session_fakes gnome    org.gnome.SessionManager on DBUS_SESSION_BUS_ADDRESS
// Each prints one line per event on stdout. With FAKE_WATCH set to a path, every line
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

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QString kind = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
  const bool logind = kind == QStringLiteral("logind");
  if (!logind && kind != QStringLiteral("gnome")) {
    std::fprintf(stderr, "usage: session_fakes logind|gnome\n");
    return 2;
  }
  QDBusConnection bus = logind ? QDBusConnection::systemBus() : QDBusConnection::sessionBus();
  FakeLogind logind_object;
  FakeGnomeSession gnome_object;
  const bool registered =
      logind ? bus.registerVirtualObject(QStringLiteral("/org/freedesktop/login1"), &logind_object)
             : bus.registerVirtualObject(QStringLiteral("/org/gnome/SessionManager"), &gnome_object,
                                         QDBusConnection::SubPath);
  const QString name = logind ? QStringLiteral("org.freedesktop.login1")
                              : QStringLiteral("org.gnome.SessionManager");
  if (!registered || !bus.registerService(name)) {
    std::fprintf(stderr, "cannot serve %s\n", qPrintable(name));
    return 1;
  }
  Log(QStringLiteral("ready"));
  return QCoreApplication::exec();
}
