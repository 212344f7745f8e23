#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace orvessa {

// A client of a session manager that speaks org.gnome.SessionManager. Registered only
// while armed: the query before the session ends is then answered "not yet" and
// EndRequested follows; the end itself (EndSession, Stop) asks the program to stop.
class GnomeSessionClient : public QObject {
  Q_OBJECT
 public:
  explicit GnomeSessionClient(QString app_id, QDBusConnection bus = QDBusConnection::sessionBus(),
                              QString service = QStringLiteral("org.gnome.SessionManager"));
  ~GnomeSessionClient() override;

  // reason: what the session manager shows the user for the refusal.
  void SetArmed(bool armed, const QString& reason);
  bool Registered() const { return !client_path_.isEmpty(); }

 signals:
  // The user asked to end the session and the answer was "not yet".
  void EndRequested();
  // The session ends now (or the manager wants the client gone).
  void StopRequested();

 private slots:
  void QueryEndSession(uint flags);
  void EndSession(uint flags);
  void Stop();

 private:
  void Register();
  void Unregister();
  void Respond(bool ok, const QString& reason);
  bool Connect(const char* signal, const char* slot, bool connect);

  QString app_id_;
  QDBusConnection bus_;
  QString service_;
  QString client_path_;
  QString reason_;
  bool armed_ = false;
};

}  // namespace orvessa
