#pragma once

#include <QByteArray>
#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

namespace orvessa {

// One running program per user. The first start holds a lock file and listens on a local
// socket, both files in the user's runtime folder; a later start asks it to show its
// window, forwarding the activation token it was started with, and then ends.
class InstanceGuard : public QObject {
  Q_OBJECT
 public:
  enum class Role {
    First,      // this process is the one instance; showRequested may follow
    Second,     // another instance runs and was asked to show itself: end now
    Unguarded,  // no private place for the lock: run, but without the guard
  };

  explicit InstanceGuard(QObject* parent = nullptr);
  ~InstanceGuard() override;

  Role Claim(const QString& activation_token);
  // Without claiming anything: asks a running instance to show itself. False when none
  // runs or it did not answer.
  bool AskRunningToShow(const QString& activation_token);
  // As the first: starts answering later starts. Their requests wait until then, so that
  // none is lost while the program is still being built.
  void Serve();
  // Where the lock and the socket live; empty before Claim or when unguarded.
  const QString& Folder() const { return folder_; }
  QString SocketPath() const;

  static constexpr int kMaxRequest = 4096;

 signals:
  void showRequested(const QString& token);

 private:
  void Accept();
  bool AskFirstToShow(const QString& activation_token) const;

  QString folder_;
  std::unique_ptr<QLockFile> lock_;
  QLocalServer server_;
};

// The token a launcher gave this start: XDG_ACTIVATION_TOKEN (Wayland) or
// DESKTOP_STARTUP_ID (X11). Read it before QApplication exists: Qt takes it away.
QString ActivationToken();

// The user's private runtime folder for the lock and the socket, empty when none is safe.
QString PrivateRuntimeFolder();

}  // namespace orvessa
