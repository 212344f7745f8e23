#pragma once

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include "i18n/string_table.hpp"
#include "i18n/text_ids.hpp"
#include "platform/linux/posix_file_system.hpp"
#include "platform/linux/xdg_autostart.hpp"
#include "platform/monotonic.hpp"
#include "tests/support/fake_inhibitor.hpp"
#include "tests/support/fake_services.hpp"
#include "tests/support/run_fakes.hpp"
#include "ui/dialogs.hpp"
#include "ui/form2.hpp"

namespace orvessa::testing {

// HOME and the XDG folders in a temporary folder, set before main runs, so that
// nothing the window or Qt writes can reach the real user's files; no display needed.
struct PrivateHome {
  TempFolder root;
  PrivateHome() {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME",
                             "XDG_STATE_HOME", "XDG_RUNTIME_DIR"}) {
      std::filesystem::create_directories(root / name);
      std::filesystem::permissions(root / name, std::filesystem::perms::owner_all);
      ::setenv(name, (root / name).c_str(), 1);
    }
  }
};

inline const PrivateHome private_home;

// The window's pauses are short here: 0.1 s after a wake-up, not 5 s; 0.2 s after an
// automatic run, not 11 s.
constexpr std::chrono::milliseconds kSettlePause{100};
constexpr std::chrono::milliseconds kAfterRunPause{200};

// The run's waits (for the drive, for a lock) pass at once, or, while the gate is closed,
// hold the run there until it opens: a test acts while a run is surely in progress, and
// no test waits out real seconds.
class GateTime : public Monotonic {
 public:
  std::chrono::steady_clock::time_point Now() const override {
    return std::chrono::steady_clock::now();
  }
  bool Wait(std::chrono::milliseconds, std::stop_token stop) override {
    std::unique_lock lock(mutex_);
    ++waits_;
    opened_.wait(lock, stop, [this] { return open_; });
    return !stop.stop_requested();
  }
  void Close() {
    const std::lock_guard lock(mutex_);
    open_ = false;
    waits_ = 0;
  }
  void Open() {
    {
      const std::lock_guard lock(mutex_);
      open_ = true;
    }
    opened_.notify_all();
  }
  int Waits() {
    const std::lock_guard lock(mutex_);
    return waits_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable_any opened_;
  bool open_ = true;
  int waits_ = 0;
};

class MemorySettings : public SettingsStore {
 public:
  std::string Get(const std::string& section, const std::string& key,
                  const std::string& fallback) const override {
    auto it = values.find({section, key});
    return it == values.end() ? fallback : it->second;
  }
  void Save(const std::string& section, const std::string& key, const std::string& value) override {
    values[{section, key}] = value;
  }
  std::map<std::pair<std::string, std::string>, std::string> values;
};

inline QString Q(const std::string& text) { return QString::fromStdString(text); }
inline QString Text(int number, int base = kEnglishBase) { return Q(LoadText(base, number)); }

// Until what the windows measure off their thread (sizes, free space) has come in.
inline void Settle() {
  for (int i = 0; i < 2000; ++i) {
    bool measuring = false;
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (auto* window = qobject_cast<Form2*>(top)) measuring = measuring || window->Measuring();
    }
    if (!measuring) break;
    QTest::qWait(2);
  }
  QCoreApplication::processEvents();
}

struct RecordingOpener : UrlOpener {
  void OpenUrl(const std::string& url) override { urls.push_back(url); }
  std::vector<std::string> urls;
};

struct RecordingNotifier : Notifier {
  void Notify(Notice notice) override {
    if (on_notice) on_notice();
    notices.push_back(std::move(notice));
  }
  std::vector<Notice> notices;
  std::function<void()> on_notice;
};

struct FakeSleepWatch : SleepWatch {
  void WhenResumed(std::function<void()> resumed) override { wake = std::move(resumed); }
  std::function<void()> wake;
};

// A shown window on its own temporary folders, loaded as the program loads it. The
// start folder holds the given files; a name ending in "/" is a folder.
struct Harness {
  explicit Harness(std::initializer_list<std::pair<std::string, std::string>> start_files = {},
                   const std::function<void(Harness&)>& before_load = {}) {
    std::filesystem::create_directories(start);
    for (const auto& [name, bytes] : start_files) {
      if (name.back() == '/') {
        std::filesystem::create_directories(start + "/" + name);
      } else {
        WriteText(start + "/" + name, bytes);
      }
    }
    window = std::make_unique<Form2>(Services(), Form2Folders{program, data, start, state},
                                     kEnglishBase, 6.01f);
    if (before_load) before_load(*this);
    window->Form_Load();
    window->show();
    (void)QTest::qWaitForWindowExposed(window.get());
    Settle();
  }

  Form2Services Services() {
    return {fs,        fs,        clock,  locale,   time,  power,        settings,
            autostart, inhibitor, opener, notifier, sleep, kSettlePause, kAfterRunPause};
  }

  // A control of the window by its object name, as a user finds it by its place.
  template <typename T = QWidget>
  T* Find(const char* name) const {
    T* found = window->findChild<T*>(QString::fromUtf8(name));
    if (found == nullptr) qFatal("no control %s", name);
    return found;
  }
  QAction* Action(const char* name) const { return Find<QAction>(name); }
  QString Panel(int panel) const {
    return Find<QLabel>(QStringLiteral("Panel%1").arg(panel).toUtf8().constData())->text();
  }
  QString Label(const char* name) const { return Find<QLabel>(name)->text(); }
  // Answers the file or folder dialog that the control opens with path.
  void Pick(const std::string& path, const char* control) const {
    Dialogs::setNextFileName(QString::fromStdString(path));
    if (QString::fromUtf8(control).startsWith(QStringLiteral("mnu"))) {
      Action(control)->trigger();
    } else {
      QTest::mouseClick(Find<QAbstractButton>(control), Qt::LeftButton);
    }
    Settle();
  }
  void AddFile(const QString& name) const;
  // A run works on a thread of its own; its end reaches the window as an event.
  void WaitForRunEnd() const {
    for (int i = 0; i < 4000 && window->RunInProgress(); ++i) QTest::qWait(5);
  }
  // Clicks Run and waits for the run's end.
  void RunToEnd() const {
    QTest::mouseClick(Find<QPushButton>("cmdCopiar"), Qt::LeftButton);
    WaitForRunEnd();
  }
  // One of the arrow buttons beside a number box: "up" or "down".
  QToolButton* Arrow(const char* updown, const char* which) const {
    return Find<QWidget>(updown)->findChild<QToolButton*>(QString::fromLatin1(which));
  }

  TempFolder temp;
  const std::string program = temp / "program", data = temp / "data", start = temp / "start",
                    state = temp / "state";
  PosixFileSystem fs;
  FakeClock clock{LocalDateTime{{2026, 12, 6}, {13, 5, 9}}};
  FakeLocale locale;
  GateTime time;
  FakePower power;
  MemorySettings settings;
  FakeInhibitor inhibitor;
  RecordingOpener opener;
  RecordingNotifier notifier;
  FakeSleepWatch sleep;
  // The private XDG_CONFIG_HOME's autostart folder; the shipped entry is looked for in data.
  XdgAutostart autostart{data + "/autostart/" + XdgAutostart::kEntryName, temp / "bin/orvessa"};
  std::unique_ptr<Form2> window;
};

// Where a user puts the pointer: inside a check box's or option's box, anywhere on a button.
inline void Click(QAbstractButton* button) {
  QTest::mouseClick(button, Qt::LeftButton, {},
                    QPoint(std::min(button->width() / 2, 8), button->height() / 2));
  Settle();
}

// What a button shows, without the marker of its Alt letter.
inline QString Caption(const QAbstractButton* button) {
  return QString(button->text()).remove(QLatin1Char('&'));
}

inline int RowNamed(const QListWidget* list, const QString& name) {
  for (int row = 0; row < list->count(); ++row) {
    if (list->item(row)->text().trimmed() == name) return row;
  }
  return -1;
}

inline void ClickRow(QListWidget* list, const QString& name, Qt::KeyboardModifiers keys = {}) {
  QListWidgetItem* item = list->item(RowNamed(list, name));
  QVERIFY2(item != nullptr, qPrintable(name));
  list->scrollToItem(item);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, keys, list->visualItemRect(item).center());
}

// Highlights one file of the source tab and adds it to the job.
inline void Harness::AddFile(const QString& name) const {
  ClickRow(Find<QListWidget>("File1"), name);
  Click(Find<QPushButton>("cmdA\u00f1adirFich"));
}

// Replaces the box's text as a user does: select it all, then type over it.
inline void Type(QLineEdit* box, const QString& text) {
  box->selectAll();
  if (text.isEmpty()) QTest::keyClick(box, Qt::Key_Delete);
  QTest::keyClicks(box, text);
}

// Picks a line of a drop-down list as a click on it would.
inline void Choose(QComboBox* box, int index) {
  box->setCurrentIndex(index);
  emit box->activated(index);
}

inline QStringList Lines(const QListWidget* list) {
  QStringList lines;
  for (int row = 0; row < list->count(); ++row) lines << list->item(row)->text();
  return lines;
}

// The window tests' base: message boxes are recorded instead of shown, and forgotten
// before each case.
class WindowTestCase : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { Dialogs::TestMode(true); }
  void init() { Dialogs::ClearShown(); }
};

inline bool LastMessageIs(const QString& text, MessageIcon icon) {
  const auto& shown = Dialogs::ShownMessages();
  return !shown.empty() && shown.back().text == text && shown.back().icon == icon &&
         shown.back().title == QStringLiteral("Orvessa");
}

// A job of a folder and a file, saved as job.cop, into a fresh destination. Each folder
// entry makes the run wait for the drive for two seconds, time enough to act meanwhile.
struct RunHarness : Harness {
  RunHarness() : Harness({{"docs/a.txt", "alpha"}, {"docs/b.txt", "beta"}, {"one.txt", "one"}}) {
    ClickRow(Find<QListWidget>("Dir1"), QStringLiteral("docs"));
    Click(Find<QPushButton>("cmdA\u00f1adirCarp"));
    AddFile(QStringLiteral("one.txt"));
    Pick(dest.path().string(), "cmdDestino");
    Pick(program + "/job.cop", "cmdGuardar");
  }

  // Clicks Run and, while the run waits for the drive, does what `during` says; then lets
  // the run go on and waits for its end.
  void RunWhile(std::function<void()> during) {
    time.Close();
    Click(Find<QPushButton>("cmdCopiar"));
    for (int i = 0; i < 2000 && time.Waits() == 0; ++i) QTest::qWait(5);
    QTest::qWait(50);  // what the run told so far reaches the window
    seen_running = window->RunInProgress();
    if (during) during();
    time.Open();
    WaitForRunEnd();
  }

  TempFolder dest;
  bool seen_running = false;
};

}  // namespace orvessa::testing
