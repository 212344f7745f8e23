// The run on screen: what the window lets a user do while it copies, how it stops,
// and what it says afterwards.
#include <QTimer>

#include "core/destination_disks.hpp"
#include "tests/ui/form2_harness.hpp"

using namespace orvessa;
using namespace orvessa::testing;

namespace {

// Everything that changes the job; none of it may be used while a run copies.
const QStringList kJobCommands =
    QStringLiteral(
        "cmdA\u00f1adirCarp cmdA\u00f1adirFich cmdQuitarElem CmdQuitarTodos cmdDestino txtDir "
        "cmdCreaDirectorio cmdBorraDir optTodo optIncremental txtNcopias updNC optManual OptCada "
        "txtNumDSM updDSM cboDSM chkHoraGraba txtHora updHora txtMinutos updMinuto chkApaga "
        "cmdGuardar cmdCopiar")
        .split(u' ');

std::map<std::string, bool> EnabledStates(const Harness& h) {
  std::map<std::string, bool> states;
  for (const QString& name : kJobCommands)
    states[name.toStdString()] = h.Find(name.toUtf8().constData())->isEnabled();
  for (const char* name : {"mnuAbreTrab", "mnuGuardaTrab"})
    states[name] = h.Action(name)->isEnabled();
  return states;
}

// Calls `seen` with the size of the largest file under folder, over and over, once it
// has bytes. Files are written under a temporary name and renamed when complete, so the
// folder is watched rather than the final name.
void WatchFile(QTimer& watch, const std::string& folder, std::function<void(std::uintmax_t)> seen) {
  watch.setInterval(0);
  QObject::connect(&watch, &QTimer::timeout, &watch, [folder, seen] {
    std::error_code ec;
    std::uintmax_t largest = 0;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      std::error_code size_ec;
      if (!it->is_regular_file(size_ec)) continue;
      const auto size = it->file_size(size_ec);
      if (!size_ec && size > largest) largest = size;
    }
    if (largest > 0) seen(largest);
  });
  watch.start();
}

}  // namespace

class Form2RunTest : public WindowTestCase {
  Q_OBJECT
 private slots:
  void aRunCopiesWhatWasSelectedWhateverIsClickedMeanwhile() {
    RunHarness h;
    Form2& w = *h.window;
    Click(h.Find<QRadioButton>("OptCada"));  // schedule boxes enabled, time boxes too
    Click(h.Find<QRadioButton>("optManual"));
    const auto before = EnabledStates(h);
    std::map<std::string, bool> during;
    bool stop_enabled = false, busy_shown = false;
    h.RunWhile([&] {
      during = EnabledStates(h);
      stop_enabled = h.Find("cmdDetener")->isEnabled() && h.Find("cmdDetener")->hasFocus();
      busy_shown = h.Find("Label6")->isVisible() && h.Find("Animation1")->isVisible() &&
                   h.Find<QTimer>("Timer2")->isActive() && w.cursor().shape() != Qt::ArrowCursor &&
                   h.Find<QTabWidget>("SSTab1")->currentIndex() == 2 &&
                   h.Label("Label8") == Q(h.start + "/docs/*");
      // A user trying to pull the run's job away.
      Click(h.Find<QPushButton>("CmdQuitarTodos"));
      h.Pick(h.temp / "other.cop", "mnuAbreTrab");
      QTest::keySequence(w.window(), QKeySequence::Open);
      Click(h.Find<QPushButton>("cmdCopiar"));
    });
    QVERIFY(h.seen_running && stop_enabled && busy_shown);
    for (const auto& [name, enabled] : during) QVERIFY2(!enabled, name.c_str());
    QCOMPARE(EnabledStates(h), before);
    QVERIFY(!h.Find("cmdDetener")->isEnabled());

    QCOMPARE(Names(h.dest.path().string()),
             (std::vector<std::string>{"docs", "job.cop", "one.txt"}));
    QCOMPARE(ReadText(h.dest / "docs/b.txt"), std::string("beta"));
    QCOMPARE(h.Find<QListWidget>("List1")->count(), 2);
    // The job saved with the run still holds both sources.
    const std::string saved = ReadText(h.dest / "job.cop");
    QVERIFY(Has(saved, h.start + "/docs/*\r\n" + h.start + "/one.txt\r\n"));
    QCOMPARE(h.Panel(5), Text(text_id::kSuccessful));
    QCOMPARE(h.Panel(3), Q(h.dest.path().string() + "/"));
    QVERIFY(h.Label("Label8").startsWith(Text(text_id::kFinishedBackup)));
    QVERIFY(!h.Find("Label6")->isVisible() && !h.Find("Animation1")->isVisible());
    QVERIFY(!h.Find<QTimer>("Timer2")->isActive() && w.cursor().shape() == Qt::ArrowCursor);
    // The copy tab shows the figures of the source and destination tabs.
    QCOMPARE(h.Label("Label19"), h.Label("Label9"));
    QCOMPARE(h.Label("Label21"), h.Label("Label7"));
    QVERIFY(h.Label("Label21").endsWith(QStringLiteral(" KB")));
    auto* bar = h.Find<QProgressBar>("ProgressBar1");
    QCOMPARE(bar->value(), bar->maximum());
    QVERIFY(bar->maximum() > 0);
    QVERIFY(Dialogs::ShownMessages().empty());
  }

  void stopEndsTheRunAndSaysSo() {
    for (bool by_key : {false, true}) {
      RunHarness h;
      Form2& w = *h.window;
      h.RunWhile([&] {
        if (by_key) {
          QTest::keyClick(w.window(), Qt::Key_Escape);
        } else {
          Click(h.Find<QPushButton>("cmdDetener"));
        }
      });
      QVERIFY(h.seen_running && !w.RunInProgress());
      // Stopped while waiting for the drive: nothing of the folder was copied.
      QVERIFY(!Exists(h.dest / "docs") && !Exists(h.dest / "one.txt"));
      QCOMPARE(h.Panel(5), Text(text_id::kStopped));
      QVERIFY(h.Label("Label8").startsWith(Text(text_id::kBackupStopped)));
      QVERIFY(!h.Find("Label6")->isVisible() && !h.Find("Animation1")->isVisible());
      QVERIFY(h.Find("cmdCopiar")->isEnabled() && !h.Find("cmdDetener")->isEnabled());
      QVERIFY(!w.Unloaded() && w.isVisible());

      // The outcome follows the language, and Esc outside a run stops nothing.
      h.Action("mnuLang_alem\u00e1n")->trigger();
      QCOMPARE(h.Panel(5), Text(text_id::kStopped, kGermanBase));
      QTest::keyClick(w.window(), Qt::Key_Escape);
      QVERIFY(w.isVisible());

      // The next run's end is its own: an error is no stop.
      h.Pick(h.start, "cmdDestino");  // docs would be copied onto itself
      h.RunToEnd();
      QCOMPARE(h.Panel(5), Text(text_id::kError, kGermanBase));
    }
  }

  void aRefusedOrFailedRunAfterASuccessfulOneShowsError() {
    RunHarness h;
    h.RunWhile({});
    const std::string saved = h.dest / "job.cop";
    // No destination (the picker is cancelled), no sources, or docs copied onto itself.
    struct Refusal {
      const char* command;
      std::string picked;
      int message;
      MessageIcon icon;
    };
    const Refusal refusals[] = {{"cmdDestino", "", 87, MessageIcon::Critical},
                                {"CmdQuitarTodos", "", 88, MessageIcon::Critical},
                                {"cmdDestino", h.start, 84, MessageIcon::Exclamation}};
    for (const Refusal& r : refusals) {
      h.window->LoadJob(saved, false);
      Settle();
      QCOMPARE(h.Panel(5), Text(text_id::kSuccessful));
      if (!r.picked.empty()) Dialogs::setNextFileName(Q(r.picked));
      Click(h.Find<QPushButton>(r.command));
      h.RunToEnd();
      QVERIFY(LastMessageIs(Text(r.message), r.icon));
      QVERIFY(Dialogs::ShownMessages().back().modal);  // someone clicked: it waits for OK
      QCOMPARE(h.Panel(5), Text(text_id::kError));
      QVERIFY(h.Label("Label8").startsWith(Text(text_id::kBackupError)));
      QVERIFY(h.Label("Label8").endsWith(Text(r.message)));
      QVERIFY(!h.Find("Label6")->isVisible() && !h.Find("Animation1")->isVisible());
      QVERIFY(h.Find("cmdCopiar")->isEnabled());
    }
    QCOMPARE(ReadText(h.start + "/docs/a.txt"), std::string("alpha"));
  }

  // What could not be copied comes from the last copy, and the run panel says from which;
  // a destination whose disk is no longer mounted says so on its tab.
  void aCopyThatMissesFilesSaysWhereTheyCameFromAndABareMountPointIsNotReady() {
    RunHarness h;
    h.RunWhile({});
    std::filesystem::remove(h.start + "/one.txt");
    h.RunWhile({});
    QCOMPARE(h.Panel(5), Text(text_id::kError));
    QVERIFY(h.Label("Label8").endsWith(Text(text_id::kCarriedOver) + u' ' +
                                       Text(text_id::kPreviousCopy) + QStringLiteral(" (1)")));
    QCOMPARE(ReadText(h.dest / "one.txt"), std::string("one"));

    const std::string destination = h.dest.path().string();
    QVERIFY(RememberMount(h.fs, h.state, destination, destination));  // was a disk of its own
    QLabel* state = h.Find<QLabel>("lblDestinationState");
    h.window->LoadJob(h.program + "/job.cop", false);
    Settle();
    QVERIFY(!state->isHidden());
    QCOMPARE(state->text(), Text(text_id::kDriveNotReady));
    QVERIFY(h.Label("Label7").isEmpty());
    h.Pick(destination, "cmdDestino");
    QVERIFY(LastMessageIs(Text(text_id::kDriveNotReady), MessageIcon::Critical));
    QVERIFY(!state->isHidden());
    QVERIFY(RememberMount(h.fs, h.state, destination, "/"));
    h.Pick(destination, "cmdDestino");
    QVERIFY(state->isHidden());
    QVERIFY(h.Label("Label7").endsWith(QStringLiteral(" KB")));
  }

  void exitEndsTheProgramOnceTheRunHasStopped() {
    RunHarness h;
    Form2& w = *h.window;
    h.Action("mnuLang_franc\u00e9s")->trigger();
    bool hidden_during = false;
    h.RunWhile([&] {
      h.Action("mnuArchivo_Salir")->trigger();
      hidden_during = !w.isVisible() && w.RunInProgress() && !w.Unloaded();
    });
    QVERIFY(h.seen_running && hidden_during);
    QVERIFY(!w.RunInProgress() && w.Unloaded());
    QVERIFY(!Exists(h.dest / "docs"));
    QCOMPARE(h.settings.Get("Language", "Language", ""), std::string("442"));
    QVERIFY(!h.settings.Get("Window", "Geometry", "").empty());
    QVERIFY(h.power.events.empty());
  }

  void progressFollowsTheBytesOfTheWholeRun() {
    constexpr std::uintmax_t kBig = 64u << 20;
    Harness h({{"big.bin", std::string(kBig, 'b')}, {"small/s.txt", "s"}});
    const TempFolder dest;
    h.AddFile(QStringLiteral("big.bin"));
    ClickRow(h.Find<QListWidget>("Dir1"), QStringLiteral("small"));
    Click(h.Find<QPushButton>("cmdA\u00f1adirCarp"));
    h.Pick(dest.path().string(), "cmdDestino");

    // While the first of two entries, nearly all of the bytes, is copying, the bar moves
    // inside it and never ahead of its bytes (it is told at most ten times a second).
    auto* bar = h.Find<QProgressBar>("ProgressBar1");
    int looks = 0;
    bool moved = false;
    QStringList off;
    QTimer watch;
    WatchFile(watch, dest.path().string(), [&](std::uintmax_t size) {
      if (size >= kBig || !h.window->RunInProgress()) return;
      ++looks;
      const double expected =
          bar->maximum() * static_cast<double>(size) / static_cast<double>(kBig + 1);
      moved = moved || (bar->value() > 0 && bar->value() < bar->maximum() / 2);
      if (bar->value() > expected + bar->maximum() / 8.0 || bar->value() >= bar->maximum()) {
        off << QStringLiteral("%1 at %2 bytes").arg(bar->value()).arg(size);
      }
    });
    h.RunToEnd();
    watch.stop();
    if (looks == 0) QSKIP("the file system copied the file in one step");
    QVERIFY2(off.isEmpty(), qPrintable(off.join(u',')));
    QVERIFY(moved);
    QCOMPARE(bar->value(), bar->maximum());
  }

  void closingDuringACopyStopsTheRun() {
    Harness h({{"big.bin", std::string(64u << 20, 'b')}});
    Form2& w = *h.window;
    const TempFolder dest;
    h.AddFile(QStringLiteral("big.bin"));
    h.Pick(dest.path().string(), "cmdDestino");

    // Close once the copy has written part of the file.
    std::uintmax_t written_at_close = 0;
    bool hidden_at_close = false;
    QTimer watch;
    WatchFile(watch, dest.path().string(), [&](std::uintmax_t size) {
      written_at_close = size;
      watch.stop();
      w.close();
      hidden_at_close = !w.isVisible() && w.RunInProgress();
    });
    h.RunToEnd();

    if (written_at_close == (64u << 20)) QSKIP("the file system cloned the file in one step");
    QVERIFY(written_at_close > 0 && written_at_close < (64u << 20) && hidden_at_close);
    QVERIFY(!w.RunInProgress() && w.Unloaded() && !w.isVisible());
    QCOMPARE(Names(dest.path().string()), std::vector<std::string>{});
  }
};

QTEST_MAIN(Form2RunTest)
#include "form2_run_test.moc"
