#include "platform/linux/instance_guard.hpp"

#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace orvessa {
namespace {

constexpr char kLockName[] = "org.orvessa.Orvessa.lock";
constexpr char kSocketName[] = "org.orvessa.Orvessa.socket";
constexpr int kMaxToken = 1024;
// A second start ends within a second whatever the first does.
constexpr int kConnectMs = 600;
constexpr int kAnswerMs = 850;
// A client that says nothing is dropped.
constexpr int kClientMs = 2000;

void Say(const char* text) { std::fprintf(stderr, "Orvessa: %s\n", text); }

// Ours alone: a folder owned by this user that nobody else may enter. With `follow`
// false a link is refused, as anyone may have made it.
bool IsPrivateFolder(const QByteArray& path, bool follow) {
  struct stat info {};
  const int result = follow ? ::stat(path.constData(), &info) : ::lstat(path.constData(), &info);
  return result == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid() &&
         (info.st_mode & 077) == 0;
}

bool HoldsSocketPath(const QByteArray& folder) {
  return static_cast<std::size_t>(folder.size()) + 1 + std::strlen(kSocketName) <
         sizeof(sockaddr_un::sun_path);
}

// A token is printable text of bounded length; anything else is not ours.
bool IsToken(const QByteArray& bytes) {
  if (bytes.size() > kMaxToken) return false;
  for (const char c : bytes) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return false;
  }
  return QString::fromUtf8(bytes).toUtf8() == bytes;
}

// "show" or "show TOKEN"; false for anything else.
bool ParseShow(const QByteArray& line, QString* token) {
  if (line == "show") return true;
  if (!line.startsWith("show ") || !IsToken(line.mid(5))) return false;
  *token = QString::fromUtf8(line.mid(5));
  return true;
}

}  // namespace

QString ActivationToken() {
  for (const char* name : {"XDG_ACTIVATION_TOKEN", "DESKTOP_STARTUP_ID"}) {
    const QByteArray value = qgetenv(name);
    if (!value.isEmpty() && IsToken(value)) return QString::fromUtf8(value);
  }
  return {};
}

QString PrivateRuntimeFolder() {
  const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
  if (runtime.startsWith('/') && IsPrivateFolder(runtime, true) && HoldsSocketPath(runtime)) {
    return QFile::decodeName(runtime);
  }
  // No usable runtime folder (su shells, cron, sessions without logind): a fixed folder per
  // user under the temporary folder stands in. It must be ours and closed to others, or
  // another user could hold the lock or answer in our place.
  QByteArrayList bases{"/tmp"};
  const QByteArray tmp = qgetenv("TMPDIR");
  if (tmp.startsWith('/')) bases.prepend(tmp);
  for (const QByteArray& base : bases) {
    const QByteArray folder = base + "/orvessa-" + QByteArray::number(::getuid());
    if (!HoldsSocketPath(folder)) continue;
    if (::mkdir(folder.constData(), 0700) != 0 && errno != EEXIST) continue;
    if (IsPrivateFolder(folder, false)) return QFile::decodeName(folder);
  }
  return {};
}

InstanceGuard::InstanceGuard(QObject* parent) : QObject(parent) {}

InstanceGuard::~InstanceGuard() { server_.close(); }

QString InstanceGuard::SocketPath() const {
  return folder_.isEmpty() ? QString() : folder_ + QLatin1Char('/') + QLatin1String(kSocketName);
}

InstanceGuard::Role InstanceGuard::Claim(const QString& activation_token) {
  folder_ = PrivateRuntimeFolder();
  if (folder_.isEmpty()) {
    Say("no private runtime folder for the single-instance lock; starting without it.");
    return Role::Unguarded;
  }
  lock_ = std::make_unique<QLockFile>(folder_ + QLatin1Char('/') + QLatin1String(kLockName));
  // A live holder keeps its lock however long it runs; a dead one's is taken over at once.
  lock_->setStaleLockTime(0);
  if (!lock_->tryLock(0)) {
    if (lock_->error() == QLockFile::LockFailedError) {
      if (!AskFirstToShow(activation_token)) {
        Say("already running, but not answering yet (still starting?); not starting twice.");
      }
      return Role::Second;
    }
    Say("cannot write the single-instance lock; starting without it.");
    lock_.reset();
    folder_.clear();
    return Role::Unguarded;
  }
  QLocalServer::removeServer(SocketPath());  // left by a holder that crashed
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_.listen(SocketPath())) {
    // Still the one instance; later starts find the lock and end.
    Say("cannot listen for later starts; they will not bring this window up.");
  }
  return Role::First;
}

bool InstanceGuard::AskRunningToShow(const QString& activation_token) {
  folder_ = PrivateRuntimeFolder();
  if (folder_.isEmpty()) return false;
  QLockFile probe(folder_ + QLatin1Char('/') + QLatin1String(kLockName));
  probe.setStaleLockTime(0);
  if (probe.tryLock(0)) {
    probe.unlock();  // nobody holds it: nobody runs
    return false;
  }
  return probe.error() == QLockFile::LockFailedError && AskFirstToShow(activation_token);
}

void InstanceGuard::Serve() {
  connect(&server_, &QLocalServer::newConnection, this, &InstanceGuard::Accept,
          Qt::UniqueConnection);
  Accept();
}

bool InstanceGuard::AskFirstToShow(const QString& activation_token) const {
  QByteArray request = "show";
  const QByteArray token = activation_token.toUtf8();
  if (!token.isEmpty() && IsToken(token)) request += ' ' + token;
  request += '\n';

  QElapsedTimer clock;
  clock.start();
  QLocalSocket socket;
  // The first may have taken the lock and not yet made its socket.
  for (;;) {
    socket.connectToServer(SocketPath());
    if (socket.waitForConnected(100)) break;
    if (clock.elapsed() >= kConnectMs) return false;
    QThread::msleep(50);
  }
  socket.write(request);
  if (!socket.waitForBytesWritten(100)) return false;
  // A first still starting reads the request later; we do not wait for it.
  while (!socket.canReadLine()) {
    const qint64 left = kAnswerMs - clock.elapsed();
    if (left <= 0 || !socket.waitForReadyRead(static_cast<int>(left))) return false;
  }
  return socket.readLine() == "ok\n";
}

void InstanceGuard::Accept() {
  while (QLocalSocket* socket = server_.nextPendingConnection()) {
    socket->setReadBufferSize(kMaxRequest + 1);
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(kClientMs, socket, [socket] { socket->abort(); });
    struct Request {
      QByteArray bytes;
      bool done = false;  // answered or refused
    };
    auto request = std::make_shared<Request>();
    const auto read = [this, socket, request] {
      if (request->done) return;
      request->bytes.append(socket->readAll());
      const qsizetype end = request->bytes.indexOf('\n');
      if (end < 0 && request->bytes.size() <= kMaxRequest) return;  // more to come
      QString token;
      const bool show =
          end >= 0 && end <= kMaxRequest && ParseShow(request->bytes.left(end), &token);
      request->done = true;
      request->bytes.clear();
      if (!show) {
        socket->abort();
        return;
      }
      socket->write("ok\n");
      socket->disconnectFromServer();  // after the answer is sent
      emit showRequested(token);
    };
    connect(socket, &QLocalSocket::readyRead, this, read);
    if (socket->bytesAvailable() > 0) read();
    // A start that gave up waiting has gone before we came to it.
    if (socket->state() == QLocalSocket::UnconnectedState) socket->deleteLater();
  }
}

}  // namespace orvessa
