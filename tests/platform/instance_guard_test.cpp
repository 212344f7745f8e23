#include "platform/linux/instance_guard.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QProcess>
#include <csignal>
#include <filesystem>
#include <memory>
#include <optional>

#include "tests/support/file_helpers.hpp"
#include "tests/support/qt_core_environment.hpp"

namespace orvessa {
namespace {

using namespace testing;

const auto* const kApplication =
    ::testing::AddGlobalTestEnvironment(new testing::QtCoreEnvironment);

class InstanceGuardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* tmp = std::getenv("TMPDIR")) tmpdir_ = tmp;
    runtime_ = PrivateFolder("run");
    ::setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
    ::setenv("TMPDIR", PrivateFolder("tmp").c_str(), 1);
    ::unsetenv("DESKTOP_STARTUP_ID");
    ::unsetenv("XDG_ACTIVATION_TOKEN");
  }

  void TearDown() override {
    tmpdir_ ? ::setenv("TMPDIR", tmpdir_->c_str(), 1) : ::unsetenv("TMPDIR");
  }

  std::string PrivateFolder(const std::string& name) const {
    const std::string path = temp_ / name;
    std::filesystem::create_directories(path);
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
  }

  // Starts the peer program with extra environment; its first line is its role.
  std::unique_ptr<QProcess> Start(const QStringList& args = {},
                                  const QStringList& environment = {}) const {
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& entry : environment) {
      env.insert(entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1));
    }
    process->setProcessEnvironment(env);
    process->start(QStringLiteral(ORVESSA_INSTANCE_PEER), args);
    EXPECT_TRUE(process->waitForStarted(5000));
    return process;
  }

  // Serves our own guard until the process prints a line (`line`) or ends; the time taken.
  static qint64 Serve(QProcess& process, bool line) {
    QElapsedTimer clock;
    clock.start();
    while ((line ? !process.canReadLine() : process.state() != QProcess::NotRunning) &&
           clock.elapsed() < 5000) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
      line ? process.waitForReadyRead(10) : process.waitForFinished(10);
    }
    return clock.elapsed();
  }
  // The next line the process prints; empty on timeout.
  static QString Line(QProcess& process) {
    Serve(process, true);
    return QString::fromUtf8(process.readLine()).trimmed();
  }
  static qint64 Finish(QProcess& process) { return Serve(process, false); }

  // Claims the instance in this process, collecting the tokens of show requests.
  static void BecomeFirst(InstanceGuard& guard, QStringList& shown, bool serve = true) {
    QObject::connect(&guard, &InstanceGuard::showRequested,
                     [&shown](const QString& token) { shown << token; });
    ASSERT_EQ(guard.Claim({}), InstanceGuard::Role::First);
    if (serve) guard.Serve();
  }

  // A second start hands over at once and exits 0; returns what it wrote to stderr.
  static QByteArray ExpectSecond(QProcess& process) {
    EXPECT_LT(Finish(process), 1000);
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(QString::fromUtf8(process.readAllStandardOutput()), QStringLiteral("second\n"));
    return process.readAllStandardError();
  }

  static void Kill(QProcess& process) {
    ::kill(static_cast<pid_t>(process.processId()), SIGKILL);
    process.waitForFinished(5000);  // reaped, so its process id is gone
  }

  TempFolder temp_;
  std::string runtime_;
  std::optional<std::string> tmpdir_;
};

TEST_F(InstanceGuardTest, SecondStartsHandTheirTokenToTheFirstAndEndAtOnce) {
  InstanceGuard first;
  QStringList shown;
  ASSERT_NO_FATAL_FAILURE(BecomeFirst(first, shown));
  EXPECT_EQ(first.Folder().toStdString(), runtime_);

  // The socket is a file in the runtime folder that only its owner may use.
  struct stat info {};
  ASSERT_EQ(::stat(first.SocketPath().toUtf8().constData(), &info), 0);
  EXPECT_TRUE(S_ISSOCK(info.st_mode));
  EXPECT_EQ(info.st_mode & 077, 0u);

  const QStringList starts[] = {{QStringLiteral("DESKTOP_STARTUP_ID=launcher-42-host_TIME1234")},
                                {QStringLiteral("XDG_ACTIVATION_TOKEN=wayland:token/7")},
                                {}};
  for (const QStringList& environment : starts) {
    ExpectSecond(*Start({}, environment));
  }
  QCoreApplication::processEvents();
  EXPECT_EQ(shown, (QStringList{QStringLiteral("launcher-42-host_TIME1234"),
                                QStringLiteral("wayland:token/7"), QString()}));
}

TEST_F(InstanceGuardTest, AKilledFirstDoesNotStopTheNextStart) {
  auto killed = Start();
  ASSERT_EQ(Line(*killed), QStringLiteral("first"));
  Kill(*killed);
  ASSERT_TRUE(testing::Exists(runtime_ + "/org.orvessa.Orvessa.lock"));

  InstanceGuard next;
  QStringList shown;
  ASSERT_NO_FATAL_FAILURE(BecomeFirst(next, shown));
  ExpectSecond(*Start());
  QCoreApplication::processEvents();
  EXPECT_EQ(shown.size(), 1);
}

TEST_F(InstanceGuardTest, AFirstStillStartingNeverLetsASecondInstanceRun) {
  // The lock is held but the socket is not made yet.
  {
    QLockFile held(QString::fromStdString(runtime_ + "/org.orvessa.Orvessa.lock"));
    ASSERT_TRUE(held.tryLock(0));
    EXPECT_TRUE(ExpectSecond(*Start()).contains("not answering"));
  }
  // Listening but not serving yet: the request waits and is served late.
  InstanceGuard building;
  QStringList shown;
  ASSERT_NO_FATAL_FAILURE(BecomeFirst(building, shown, false));
  ExpectSecond(*Start({}, {QStringLiteral("DESKTOP_STARTUP_ID=patient")}));
  EXPECT_TRUE(shown.isEmpty());
  building.Serve();
  QCoreApplication::processEvents();
  EXPECT_EQ(shown, QStringList{QStringLiteral("patient")});
}

TEST_F(InstanceGuardTest, EachRuntimeFolderHasItsOwnInstance) {
  auto one = Start({}, {QStringLiteral("XDG_RUNTIME_DIR=") + QString::fromStdString(runtime_)});
  auto other = Start({}, {QStringLiteral("XDG_RUNTIME_DIR=") +
                          QString::fromStdString(PrivateFolder("other-user-run"))});
  EXPECT_EQ(Line(*one), QStringLiteral("first"));
  EXPECT_EQ(Line(*other), QStringLiteral("first"));
  Kill(*one);
  Kill(*other);

  // A runtime folder others may write to is not used; a private one stands in.
  const std::string open_folder = PrivateFolder("open-run");
  std::filesystem::permissions(open_folder, std::filesystem::perms::all);
  const QString open = QStringLiteral("XDG_RUNTIME_DIR=") + QString::fromStdString(open_folder);
  auto first = Start({}, {open});
  EXPECT_EQ(Line(*first), QStringLiteral("first"));
  auto second = Start({}, {open});
  EXPECT_EQ(Line(*second), QStringLiteral("second"));
  Finish(*second);
  EXPECT_TRUE(testing::Names(open_folder).empty());
  const std::string stand_in = temp_ / ("tmp/orvessa-" + std::to_string(::getuid()));
  struct stat info {};
  ASSERT_EQ(::lstat(stand_in.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  Kill(*first);
}

TEST_F(InstanceGuardTest, GarbageOnTheSocketIsIgnored) {
  InstanceGuard first;
  QStringList shown;
  ASSERT_NO_FATAL_FAILURE(BecomeFirst(first, shown));

  const QByteArray garbage[] = {QByteArray("\x00\xff\x13garbage\n", 12),
                                QByteArray(100000, 'x'),
                                QByteArray("show bad\x01token\n"),
                                QByteArray("show ") + QByteArray(5000, 't') + '\n',
                                QByteArray("hide\n"),
                                QByteArray("show but never ends"),
                                QByteArray()};
  for (const QByteArray& bytes : garbage) {
    QLocalSocket client;
    client.connectToServer(first.SocketPath());
    ASSERT_TRUE(client.waitForConnected(1000));
    client.write(bytes);
    QByteArray answer;
    QElapsedTimer clock;
    clock.start();
    // Closed by the server at once, or after its patience for a silent client.
    while (client.state() != QLocalSocket::UnconnectedState && clock.elapsed() < 4000) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
      answer += client.readAll();
    }
    EXPECT_EQ(client.state(), QLocalSocket::UnconnectedState);
    EXPECT_TRUE(answer.isEmpty()) << answer.toStdString();
  }
  EXPECT_TRUE(shown.isEmpty());

  ExpectSecond(*Start({}, {QStringLiteral("DESKTOP_STARTUP_ID=after-garbage")}));
  QCoreApplication::processEvents();
  EXPECT_EQ(shown, QStringList{QStringLiteral("after-garbage")});
}

}  // namespace
}  // namespace orvessa
