// The Options menu's start-with-the-session items against the real autostart entry in
// the private XDG_CONFIG_HOME.
#include "tests/ui/form2_harness.hpp"

using namespace orvessa;
using namespace orvessa::testing;
using namespace orvessa::text_id;

namespace {

std::string UserEntry() {
  return std::string(std::getenv("XDG_CONFIG_HOME")) + "/autostart/" + XdgAutostart::kEntryName;
}

const char* const kShipped = "[Desktop Entry]\nType=Application\nName=Orvessa\nExec=orvessa\n";

}  // namespace

class Form2StartupTest : public QObject {
  Q_OBJECT

  static void ExpectMarks(const Harness& h, bool start) {
    QCOMPARE(h.Action("mnuOpInicioSi")->isChecked(), start);
    QCOMPARE(h.Action("mnuOpInicioNo")->isChecked(), !start);
  }

 private slots:
  void initTestCase() { Dialogs::TestMode(true); }
  void init() {
    Dialogs::ClearShown();
    std::filesystem::remove(UserEntry());
  }

  void marksSayWhatTheSessionWillDoAtStart() {
    // No entry, an entry, a hidden entry; no job is restored, the entry alone decides.
    const std::pair<std::string, bool> entries[] = {
        {"", false}, {kShipped, true}, {std::string(kShipped) + "Hidden=true\n", false}};
    for (const auto& [entry, start] : entries) {
      if (!entry.empty()) WriteText(UserEntry(), entry);
      Harness h;
      ExpectMarks(h, start);
    }
    QVERIFY(Dialogs::ShownMessages().empty());
  }

  void itemsWriteAndRemoveTheEntry() {
    Harness h;
    WriteText(h.data + "/autostart/" + XdgAutostart::kEntryName, kShipped);
    // Choosing the checked item again keeps it checked.
    for (bool start : {true, true, false, false}) {
      h.Action(start ? "mnuOpInicioSi" : "mnuOpInicioNo")->trigger();
      ExpectMarks(h, start);
      QCOMPARE(Exists(UserEntry()), start);
      if (start) {
        QVERIFY(Has(ReadText(UserEntry()), "\nExec=" + (h.temp / "bin/orvessa") + "\n"));
      }
    }
    QVERIFY(Dialogs::ShownMessages().empty());
  }

  void aFailedChangeIsShownAndTheMarksKeepTheTruth() {
    Harness h;  // nothing shipped in its data folder
    h.Action("mnuOpInicioSi")->trigger();
    ExpectMarks(h, false);
    QVERIFY(!Exists(UserEntry()));
    const auto& shown = Dialogs::ShownMessages();
    QCOMPARE(shown.size(), std::size_t{1});
    QCOMPARE(shown.back().icon, MessageIcon::Critical);
    QVERIFY(shown.back().text.startsWith(Text(kStartWithSession)));
    QVERIFY(shown.back().text.contains(Q(h.data + "/autostart/")));
  }
};

QTEST_MAIN(Form2StartupTest)
#include "form2_startup_test.moc"
