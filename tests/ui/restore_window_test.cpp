// The Restore window on real copies in a temporary folder: the copies it lists, what a
// search finds, the versions of a file and a restore that must never touch the copy.
#include <sys/stat.h>

#include <QAccessible>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTreeWidget>
#include <atomic>
#include <thread>

#include "core/missing_list.hpp"
#include "core/run_history.hpp"
#include "tests/ui/form2_harness.hpp"
#include "ui/restore_window.hpp"

using namespace orvessa;
using namespace orvessa::testing;

namespace {

const QStringList kNewestFirst = QStringLiteral("Copy03 Copy02 Copy01").split(u' ');

void Idle(const RestoreWindow& box) {
  for (int i = 0; i < 4000 && box.Busy(); ++i) QTest::qWait(5);
  QCoreApplication::processEvents();
}

// Each file copy waits until the test lets it go, so that Stop lands while a restore runs.
struct HeldCopies : PosixFileSystem {
  FsResult<CopyStats> CopyFile(const std::string& from, const std::string& to,
                               const CopyOptions& options) override {
    held = true;
    while (!let_go) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return PosixFileSystem::CopyFile(from, to, options);
  }
  std::atomic<bool> held{false}, let_go{false};
};

// Three copies of the job's docs folder and one.txt: a.txt as it was in Copy01, the same in
// Copy02, changed in Copy03 (same size: only its bytes tell); Copy01 also holds a file
// deleted since.
struct CopiesHarness : RunHarness {
  CopiesHarness() {
    const char* texts[] = {"older", "older", "newer"};
    for (int n = 1; n <= 3; ++n) {
      const std::string copy = dest / ("Copy0" + std::to_string(n));
      WriteText(copy + "/docs/a.txt", texts[n - 1]);
      WriteText(copy + "/one.txt", "one");
      Record(n, RunOutcome::Normal, 0);
    }
    WriteText(dest / "Copy01/docs/gone.txt", "gone");
  }

  // A run of CopyNN that ended on day N of the month.
  void Record(int n, RunOutcome outcome, std::uint64_t mismatched) {
    RunRecord record;
    const std::string day = "2026-12-0" + std::to_string(n);
    record.start = day + " 10:00:00";
    record.end = day + " 10:30:00";
    record.outcome = outcome;
    record.destination = dest.path().string() + "/";
    record.copy = "Copy0" + std::to_string(n);
    record.bytes = 1000u * static_cast<unsigned>(n);
    record.mismatched = mismatched;
    QVERIFY(AppendRunRecord(fs, state, record).ok());
  }

  // File > Restore…, once what it reads has come in.
  RestoreWindow& Open() const {
    Action("mnuRecuperar")->trigger();
    RestoreWindow* box = window->RestoreBox();
    if (box == nullptr) qFatal("no Restore window");
    Idle();
    return *box;
  }
  void Idle() const { ::Idle(*window->RestoreBox()); }
  template <typename T = QWidget>
  T* In(const char* name) const {
    T* found = window->RestoreBox()->findChild<T*>(QString::fromUtf8(name));
    if (found == nullptr) qFatal("no control %s", name);
    return found;
  }
  QStringList Column(const char* list, int column) const {
    QStringList cells;
    auto* tree = In<QTreeWidget>(list);
    for (int row = 0; row < tree->topLevelItemCount(); ++row)
      cells << tree->topLevelItem(row)->text(column);
    return cells;
  }
};

}  // namespace

class RestoreWindowTest : public WindowTestCase {
  Q_OBJECT
 private slots:
  void copiesAreListedNewestFirstWithTheirState() {
    CopiesHarness h;
    h.Open();
    QCOMPARE(h.Column("lstCopies", 1), kNewestFirst);
    QCOMPARE(h.Column("lstCopies", 0).first(), QStringLiteral("2026-12-03 10:30:00"));
    QCOMPARE(h.Column("lstCopies", 2).first(), Q(h.locale.FormatWholeNumber(3000)));
    // The newest record of a copy tells its state; the list is read again at each opening.
    const MissedPath missing{"/x/a", "gone", "", false}, carried{"/x/b", "busy", "Copy01", true};
    const struct {
      RunOutcome outcome;
      std::uint64_t mismatched;
      std::vector<MissedPath> missed;
      const char* state;
    } cases[] = {
        {RunOutcome::Normal, 0, {}, "complete"},
        {RunOutcome::Normal, 0, {missing, missing, carried}, "2 files missing, 1 carried over"},
        {RunOutcome::Normal, 0, {carried}, "1 carried over"},
        {RunOutcome::Normal, 2, {}, "verification failed"},
        {RunOutcome::Stopped, 2, {missing}, "run failed"},
    };
    for (const auto& c : cases) {
      WriteText(h.dest / ("Copy02/" + std::string(kMissingListName)), MissingListText(c.missed));
      h.Record(2, c.outcome, c.mismatched);
      h.Open();
      QCOMPARE(h.Column("lstCopies", 3)[1], QString::fromUtf8(c.state));
    }
    // The window follows the language.
    h.Action("mnuLang_alem\u00e1n")->trigger();
    QCOMPARE(h.Column("lstCopies", 3)[1], Text(text_id::kRunFailed, kGermanBase));
    QCOMPARE(h.window->RestoreBox()->windowTitle(), Text(text_id::kRestoreTitle, kGermanBase));
  }

  void searchVersionsAndDeletedFiles() {
    CopiesHarness h;
    WriteText(h.dest / ("Copy03/" + std::string(kMissingListName)), "");
    h.Open();
    Type(h.In<QLineEdit>("txtSearch"), QStringLiteral("A.TXT"));
    QTest::mouseClick(h.In<QPushButton>("cmdSearch"), Qt::LeftButton);
    h.Idle();
    const QString a = Q(h.start + "/docs/a.txt");
    QCOMPARE(h.Column("lstFound", 0), kNewestFirst);
    QCOMPARE(h.Column("lstFound", 1), QStringList({a, a, a}));

    // The file chosen in the copy's tree, its folder listed when opened.
    auto* tree = h.In<QTreeWidget>("treeCopy");
    auto* tabs = h.In<QTabWidget>("tabsRestore");
    tabs->setCurrentIndex(0);
    // Only the sources' copies, folders first; not the list of missing files.
    QCOMPARE(h.Column("treeCopy", 0),
             QStringList({QStringLiteral("docs"), QStringLiteral("one.txt")}));
    QTreeWidgetItem* docs = tree->topLevelItem(0);
    docs->setSelected(true);  // selected, not made current, as a screen reader does: it opens
    h.Idle();
    QCOMPARE(docs->childCount(), 1);
    tree->setCurrentItem(docs->child(0));
    // A screen reader hears the path with its caption, and every list or box by its name.
    QCOMPARE(
        QAccessible::queryAccessibleInterface(h.In<QLabel>("lblOriginal"))->text(QAccessible::Name),
        QStringLiteral("Original path: ") + a);
    for (const QWidget* control : h.window->RestoreBox()->findChildren<QWidget*>()) {
      static const QRegularExpression named(QStringLiteral("^(lst|tree|txt|bar|tabs|cmd)"));
      if (!control->objectName().contains(named)) continue;
      const auto* button = qobject_cast<const QAbstractButton*>(control);
      QVERIFY2(!(button != nullptr ? button->text() : control->accessibleName()).isEmpty(),
               qPrintable(control->objectName()));
    }
    tabs->setCurrentIndex(2);
    h.Idle();
    QCOMPARE(h.Column("lstVersions", 0), kNewestFirst);
    QCOMPARE(h.Column("lstVersions", 3), QStringLiteral("changed unchanged changed").split(u' '));

    // Only the oldest copy holds a file the source no longer has.
    auto* copies = h.In<QTreeWidget>("lstCopies");
    copies->clearSelection();
    copies->topLevelItem(2)->setSelected(true);
    tabs->setCurrentIndex(3);
    h.Idle();
    QCOMPARE(h.Column("lstDeleted", 1), QStringList{Q(h.start + "/docs/gone.txt")});
  }

  // A newer file in the way is kept, replaced or left alone as the user answers; the
  // copy's file is read only, never linked or touched.
  void restoreToTheOriginalPlace() {
    const struct {
      int choice;
      const char* original;  // what a.txt holds afterwards
      bool kept_beside;
    } cases[] = {{0, "alpha", true}, {1, "older", false}, {-1, "alpha", false}};
    for (const auto& c : cases) {
      CopiesHarness h;
      const std::string in_copy = h.dest / "Copy02/docs/a.txt";
      struct stat before {};
      QCOMPARE(::stat(in_copy.c_str(), &before), 0);
      RestoreWindow& box = h.Open();
      auto* copies = h.In<QTreeWidget>("lstCopies");
      copies->setCurrentItem(copies->topLevelItem(1));
      h.Idle();
      auto* tree = h.In<QTreeWidget>("treeCopy");
      tree->topLevelItem(0)->setExpanded(true);
      h.Idle();
      auto* restore = h.In<QPushButton>("cmdRestoreInPlace");
      QVERIFY(!restore->isEnabled());
      tree->topLevelItem(0)->child(0)->setSelected(true);
      QVERIFY(restore->isEnabled());
      Dialogs::ClearShown();
      Dialogs::setNextChoice(c.choice);
      QTest::mouseClick(restore, Qt::LeftButton);
      h.Idle();

      QCOMPARE(Dialogs::ShownMessages().size(), std::size_t{1});
      QCOMPARE(Dialogs::ShownMessages().back().text,
               QStringLiteral("1 files already there differ from the copy's."));
      QCOMPARE(ReadText(h.start + "/docs/a.txt"), std::string(c.original));
      const std::string beside = h.start + "/docs/a (restored 2026-12-06).txt";
      QCOMPARE(Exists(beside), c.kept_beside);
      if (c.kept_beside) QCOMPARE(ReadText(beside), std::string("older"));
      struct stat after {};
      QCOMPARE(::stat(in_copy.c_str(), &after), 0);
      QCOMPARE(after.st_ino, before.st_ino);
      QCOMPARE(after.st_nlink, before.st_nlink);
      QCOMPARE(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
      QCOMPARE(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
      const QString summary = h.In<QPlainTextEdit>("txtSummary")->toPlainText();
      QCOMPARE(summary.contains(QStringLiteral("Kept both: 1")), c.kept_beside);
      QCOMPARE(summary.contains(QStringLiteral("Replaced: 1")), c.choice == 1);
      QVERIFY(restore->isEnabled() && !h.In<QPushButton>("cmdStopRestore")->isEnabled());
      box.close();
    }
  }

  // To a folder: the chosen file under its source's name, asked nothing; Cancel in the
  // folder picker restores nothing.
  void restoreToAFolder() {
    CopiesHarness h;
    const std::string folder = h.temp / "restored";
    std::filesystem::create_directories(folder);
    h.Open();
    Type(h.In<QLineEdit>("txtSearch"), QStringLiteral("a.txt"));
    QTest::mouseClick(h.In<QPushButton>("cmdSearch"), Qt::LeftButton);
    h.Idle();
    h.In<QTreeWidget>("lstFound")->topLevelItem(2)->setSelected(true);  // Copy01's
    Dialogs::ClearShown();
    for (const std::string& picked : {std::string(), folder}) {
      Dialogs::setNextFileName(Q(picked));
      QTest::mouseClick(h.In<QPushButton>("cmdRestoreToFolder"), Qt::LeftButton);
      h.Idle();
    }
    QCOMPARE(Names(folder), std::vector<std::string>{"docs"});
    QCOMPARE(Names(folder + "/docs"), std::vector<std::string>{"a.txt"});
    QCOMPARE(ReadText(folder + "/docs/a.txt"), std::string("older"));
    QVERIFY(Dialogs::ShownMessages().empty());
  }

  // Stop ends the restore after the file under way: nothing later is written, and no
  // part of a file lies under a final name.
  void stopEndsARestore() {
    TempFolder temp;
    for (const char* name : {"a.txt", "b.txt"}) {
      WriteText(temp / (std::string("src/") + name), "now");
      WriteText(temp / (std::string("dest/Copy01/src/") + name), "then");
    }
    BackupJob job;
    job.Destination = temp / "dest/";
    job.Sources.push_back(*SourceEntry::ForFolder(temp / "src"));
    HeldCopies fs;
    FakeClock clock{LocalDateTime{{2026, 12, 6}, {13, 5, 9}}};
    FakeLocale locale;
    RestoreWindow box({fs, fs, clock, locale}, temp / "state", kEnglishBase, nullptr);
    box.Open(job);
    Idle(box);
    auto* tree = box.findChild<QTreeWidget*>(QStringLiteral("treeCopy"));
    tree->topLevelItem(0)->setExpanded(true);
    Idle(box);
    for (int row = 0; row < 2; ++row) tree->topLevelItem(0)->child(row)->setSelected(true);
    Dialogs::setNextFileName(Q(temp / "out"));
    QTest::mouseClick(box.findChild<QPushButton*>(QStringLiteral("cmdRestoreToFolder")),
                      Qt::LeftButton);
    for (int i = 0; i < 2000 && !fs.held; ++i) QTest::qWait(5);
    auto* stop = box.findChild<QPushButton*>(QStringLiteral("cmdStopRestore"));
    QVERIFY(fs.held && stop->isEnabled());
    QTest::mouseClick(stop, Qt::LeftButton);
    fs.let_go = true;
    Idle(box);
    QVERIFY(box.findChild<QPlainTextEdit*>()->toPlainText().startsWith(
        QStringLiteral("Restore stopped\n")));
    const auto written = Names(temp / "out/src");
    QVERIFY(written.empty() || written == std::vector<std::string>{"a.txt"});
    if (!written.empty()) QCOMPARE(ReadText(temp / "out/src/a.txt"), std::string("then"));
    QVERIFY(!stop->isEnabled());
  }
};

QTEST_MAIN(RestoreWindowTest)
#include "restore_window_test.moc"
