// Stands in for the desktop's notification service on the session bus
// (DBUS_SESSION_BUS_ADDRESS). Prints one line per notice: "app|icon|summary|body", new
// lines of the body as "\n". With a delay in seconds, it then clicks each notice after
// that long, as a user would.
//   notification_sink [CLICK_AFTER_SECONDS]
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QTimer>
#include <cstdio>

namespace {

const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

class Sink : public QDBusVirtualObject {
 public:
  explicit Sink(int click_after_ms) : click_after_ms_(click_after_ms) {}
  QString introspect(const QString&) const override { return {}; }
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    if (message.member() != QStringLiteral("Notify") || message.arguments().size() < 5) {
      return false;
    }
    const QVariantList a = message.arguments();
    QString body = a[4].toString();
    body.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    std::printf("%s|%s|%s|%s\n", qPrintable(a[0].toString()), qPrintable(a[2].toString()),
                qPrintable(a[3].toString()), qPrintable(body));
    std::fflush(stdout);
    const uint id = ++last_id_;
    if (click_after_ms_ >= 0) {
      QTimer::singleShot(click_after_ms_, [connection, id] {
        QDBusMessage click =
            QDBusMessage::createSignal(kPath, kInterface, QStringLiteral("ActionInvoked"));
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
  Sink sink(argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() * 1000 : -1);
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.registerVirtualObject(kPath, &sink) ||
      !bus.registerService(QStringLiteral("org.freedesktop.Notifications"))) {
    std::fprintf(stderr, "cannot own org.freedesktop.Notifications\n");
    return 1;
  }
  std::printf("ready\n");
  std::fflush(stdout);
  return QCoreApplication::exec();
}
