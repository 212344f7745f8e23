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

  // No entry, an entry, a hidden entry: the entry alone decides the marks at start.
  void marksSayWhatTheSessionWillDoAtStart() {
    const std::pair<std::string, bool> entries[] = {
        {"", false}, {kShipped, true}, {std::string(kShipped) + "Hidden=true\n", false}};
    for (const auto& [entry, start] : entries) {
      if (!entry.empty()) WriteText(UserEntry(), entry);
      Harness h;
      ExpectMarks(h, start);
    }
    QVERIFY(Dialogs::ShownMessages().empty());
  }

  void itemsWriteAndRemoveTheEntryAndAFailureKeepsTheTruth() {
    Harness h;
    h.Action("mnuOpInicioSi")->trigger();  // nothing shipped in its data folder yet
    ExpectMarks(h, false);
    QVERIFY(!Exists(UserEntry()));
    QCOMPARE(Dialogs::ShownMessages().size(), std::size_t{1});
    QCOMPARE(Dialogs::ShownMessages().back().icon, MessageIcon::Critical);
    QVERIFY(Dialogs::ShownMessages().back().text.startsWith(Text(kStartWithSession)));
    Dialogs::ClearShown();
    WriteText(h.data + "/autostart/" + XdgAutostart::kEntryName, kShipped);
    // Choosing the checked item again keeps it checked.
    for (bool start : {true, true, false, false}) {
      h.Action(start ? "mnuOpInicioSi" : "mnuOpInicioNo")->trigger();
      ExpectMarks(h, start);
      QCOMPARE(Exists(UserEntry()), start);
      if (start) QVERIFY(Has(ReadText(UserEntry()), "\nExec=" + (h.temp / "bin/orvessa") + "\n"));
    }
    QVERIFY(Dialogs::ShownMessages().empty());
  }
};

QTEST_MAIN(Form2StartupTest)
#include "form2_startup_test.moc"
