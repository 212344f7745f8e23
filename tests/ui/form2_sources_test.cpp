// The source and destination tabs, driven through the window's controls.
#include "tests/ui/form2_harness.hpp"

using namespace orvessa;
using namespace orvessa::testing;

class Form2SourcesTest : public WindowTestCase {
  Q_OBJECT
 private slots:
  void filterAndTogglesDecideTheListedNames() {
    Harness h({{"a.txt", "1"},
               {"a.txt.bak", "2"},
               {"b.xls", "3"},
               {"b.xlsx", "4"},
               {"noext", "5"},
               {".hidden", "6"},
               {"sub/", ""},
               {".hid/", ""}});
    auto* files = h.Find<QListWidget>("File1");
    auto* folders = h.Find<QListWidget>("Dir1");
    auto* count = h.Find<QLabel>("Label2");
    auto* filter = h.Find<QComboBox>("Filtro");
    const QStringList all = QStringLiteral("a.txt a.txt.bak b.xls b.xlsx noext").split(u' ');
    QCOMPARE(Lines(files), all);
    QCOMPARE(count->text(), QStringLiteral("5"));
    QVERIFY(RowNamed(folders, QStringLiteral("sub")) >= 0);
    QCOMPARE(RowNamed(folders, QStringLiteral(".hid")), -1);
    QCOMPARE(filter->count(), 10);
    QCOMPARE(filter->itemText(0), Text(95));
    QCOMPARE(filter->itemText(9), QStringLiteral("HTML (*.htm)"));

    Choose(filter, 1);
    QCOMPARE(Lines(files), QStringLiteral("a.txt a.txt.bak").split(u' '));
    QCOMPARE(count->text(), QStringLiteral("2"));
    Choose(filter, 3);
    QCOMPARE(Lines(files), QStringList{QStringLiteral("b.xls")});
    QCOMPARE(count->text(), QStringLiteral("1"));

    Choose(filter, 0);
    Click(h.Find<QCheckBox>("Ocultos"));
    QCOMPARE(Lines(files), QStringList{QStringLiteral(".hidden")} + all);
    QCOMPARE(count->text(), QStringLiteral("6"));
    QVERIFY(RowNamed(folders, QStringLiteral(".hid")) >= 0);
    // No system or archive files exist here: those toggles change nothing.
    Click(h.Find<QCheckBox>("Sistema"));
    Click(h.Find<QCheckBox>("Modificados"));
    QCOMPARE(count->text(), QStringLiteral("6"));
    Click(h.Find<QCheckBox>("Ocultos"));
    QCOMPARE(count->text(), QStringLiteral("5"));
    QCOMPARE(RowNamed(folders, QStringLiteral(".hid")), -1);

    // Opening a folder with Enter lists its files; the drive list follows.
    ClickRow(folders, QStringLiteral("sub"));
    QTest::keyClick(folders, Qt::Key_Return);
    QCOMPARE(count->text(), QStringLiteral("0"));
    QCOMPARE(files->count(), 0);
  }

  void whatIsHighlightedIsWhatIsAdded() {
    Harness h({{"a.txt", std::string(1000, 'a')},
               {"b.txt", std::string(2000, 'b')},
               {"c.doc", "c"},
               {"sub/inner", std::string(3000, 'x')},
               {".hid/x", "x"}});
    auto* folders = h.Find<QListWidget>("Dir1");
    auto* files = h.Find<QListWidget>("File1");
    auto* list = h.Find<QListWidget>("List1");
    ClickRow(folders, QStringLiteral("sub"));
    ClickRow(files, QStringLiteral("a.txt"));
    ClickRow(files, QStringLiteral("b.txt"), Qt::ControlModifier);
    // Toggles and filters list again; the highlights stay where the user put them.
    Click(h.Find<QCheckBox>("Ocultos"));
    Choose(h.Find<QComboBox>("Filtro"), 1);
    Click(h.Find<QCheckBox>("Ocultos"));
    Choose(h.Find<QComboBox>("Filtro"), 0);
    Click(h.Find<QPushButton>("cmdA\u00f1adirCarp"));
    Click(h.Find<QPushButton>("cmdA\u00f1adirFich"));
    const QString start = Q(h.start);
    QCOMPARE(Lines(list),
             QStringList({start + QStringLiteral("/sub/*"), start + QStringLiteral("/a.txt"),
                          start + QStringLiteral("/b.txt")}));
    QCOMPARE(h.Label("Label9"), QStringLiteral("6 KB"));

    // A highlight the user takes away leaves the open folder.
    folders->clearSelection();
    Click(h.Find<QPushButton>("cmdA\u00f1adirCarp"));
    QCOMPARE(list->item(3)->text(), start + QStringLiteral("/*"));
  }

  // Which files the editor takes is its own table's; here the highlighted names reach it
  // in list order and the list and the size follow what it decided.
  void addAndRemoveReachTheJobAndTheSizeFollows() {
    Harness h({{"a1", std::string(499, 'x')}, {"a2", std::string(1500, 'x')}});
    Form2& w = *h.window;
    auto* files = h.Find<QListWidget>("File1");
    auto* list = h.Find<QListWidget>("List1");
    auto* size = h.Find<QLabel>("Label9");
    auto* add = h.Find<QPushButton>("cmdA\u00f1adirFich");
    auto* remove = h.Find<QPushButton>("cmdQuitarElem");
    const QString a1 = Q(h.start + "/a1"), a2 = Q(h.start + "/a2");
    ClickRow(files, QStringLiteral("a2"));
    Click(add);
    QCOMPARE(size->text(), QStringLiteral("2 KB"));
    // a2 is listed already: a1 goes in, a2 does not.
    ClickRow(files, QStringLiteral("a1"));
    ClickRow(files, QStringLiteral("a2"), Qt::ControlModifier);
    Click(add);
    QCOMPARE(Lines(list), QStringList({a2, a1}));
    QCOMPARE(w.Job().SelectedBytes, 1999.0);

    ClickRow(list, a2);
    Click(remove);
    QCOMPARE(Lines(list), QStringList{a1});
    QCOMPARE(size->text(), QStringLiteral("0 KB"));
    list->clearSelection();
    Click(remove);
    QCOMPARE(w.Job().Sources.size(), std::size_t{1});
    ClickRow(list, a1);
    Click(remove);
    QCOMPARE(list->count(), 0);
    QCOMPARE(size->text(), QStringLiteral("0 Kb"));

    ClickRow(files, QStringLiteral("a2"));
    Click(add);
    Click(h.Find<QPushButton>("CmdQuitarTodos"));
    QVERIFY(list->count() == 0 && w.Job().Sources.empty() && w.Job().SelectedBytes == 0);
    QCOMPARE(size->text(), QString());
  }

  void addFoldersTakesTheHighlightedFolderOnce() {
    Harness h({{"x", std::string(1000, 'x')}, {"sub/inner", std::string(2000, 'x')}});
    auto* list = h.Find<QListWidget>("List1");
    auto* folders = h.Find<QListWidget>("Dir1");
    auto* add = h.Find<QPushButton>("cmdA\u00f1adirCarp");
    const QString start = Q(h.start);
    Click(add);
    Click(add);
    QCOMPARE(Lines(list), QStringList{start + QStringLiteral("/*")});
    QCOMPARE(h.Label("Label9"), QStringLiteral("3 KB"));

    ClickRow(folders, QStringLiteral("sub"));
    Click(add);
    QCOMPARE(folders->currentItem()->toolTip(), Q(h.start + "/sub"));  // highlighted, not opened
    QCOMPARE(h.Find<QListWidget>("File1")->count(), 1);
    // A file of a listed folder is an entry of its own.
    h.AddFile(QStringLiteral("x"));
    QCOMPARE(Lines(list),
             QStringList({start + QStringLiteral("/*"), start + QStringLiteral("/sub/*"),
                          start + QStringLiteral("/x")}));
    QCOMPARE(h.Label("Label9"), QStringLiteral("6 KB"));

    ClickRow(list, start + QStringLiteral("/sub/*"));
    Click(h.Find<QPushButton>("cmdQuitarElem"));
    QCOMPARE(list->count(), 2);
    QCOMPARE(h.Label("Label9"), QStringLiteral("4 KB"));
  }

  void destinationFolderCommands() {
    Harness h;
    Form2& w = *h.window;
    const TempFolder dest;
    const QString parent = Q(dest.path().string() + "/");
    auto* label = h.Find<QLabel>("Label5");
    auto* free = h.Find<QLabel>("Label7");
    auto* create = h.Find<QPushButton>("cmdCreaDirectorio");
    auto* erase = h.Find<QPushButton>("cmdBorraDir");
    auto* name = h.Find<QLineEdit>("txtDir");
    QVERIFY(!create->isEnabled() && !erase->isEnabled());
    h.Pick(dest.path().string(), "cmdDestino");
    QCOMPARE(label->text(), Q(dest.path().string()));
    QCOMPARE(w.Job().Destination, dest.path().string());
    QVERIFY(create->isEnabled() && erase->isEnabled());
    QVERIFY(free->text().endsWith(QStringLiteral(" KB")));
    const double free_kb =
        static_cast<double>(h.fs.GetDrive(dest.path().string()).free_bytes) / 1000;
    // Other programs write meanwhile: the same figure, give or take a few percent.
    QVERIFY(std::abs(free->text().chopped(3).toDouble() - free_kb) < std::max(2e6, free_kb / 20));

    // Without a destination the folder commands say so and make nothing.
    const std::string stray = "orvessa-stray-" + std::to_string(::getpid());
    Dialogs::ClearShown();
    Click(h.Find<QPushButton>("cmdDestino"));  // cancelled: nothing to measure, nothing to report
    QVERIFY(label->text().isEmpty() && free->text().isEmpty() && w.Job().Destination.empty());
    QVERIFY(Dialogs::ShownMessages().empty());
    QVERIFY(create->isEnabled());
    Type(name, Q(stray));
    for (QPushButton* command : {create, erase}) {
      Dialogs::ClearShown();
      Click(command);
      QVERIFY(LastMessageIs(Text(text_id::kNoDestination), MessageIcon::Critical));
      QVERIFY(label->text().isEmpty());
    }
    QVERIFY(!Exists("/" + stray));

    h.Pick(dest.path().string(), "cmdDestino");
    // What the editor refuses is said and makes nothing.
    Type(name, QStringLiteral("a/b"));
    Click(create);
    QVERIFY(LastMessageIs(Text(text_id::kNewFolderName), MessageIcon::Information));
    QCOMPARE(label->text(), Q(dest.path().string()));
    QVERIFY(create->isEnabled());
    QCOMPARE(Names(dest.path().string()), std::vector<std::string>{});
    Dialogs::ClearShown();

    Type(name, QStringLiteral("new"));
    Click(create);
    QVERIFY(std::filesystem::is_directory(dest / "new"));
    QCOMPARE(label->text(), Q(dest / "new"));
    QCOMPARE(w.Job().Destination, dest / "new");
    QVERIFY(!create->isEnabled() && Dialogs::ShownMessages().empty());
    // Erasing needs the destination's own name.
    Type(name, QStringLiteral("ne"));
    Click(erase);
    QVERIFY(LastMessageIs(Text(81), MessageIcon::Information));
    QVERIFY(Exists(dest / "new"));
    QCOMPARE(label->text(), Q(dest / "new"));
    Type(name, QStringLiteral("new"));
    Click(erase);
    QVERIFY(!Exists(dest / "new"));
    QCOMPARE(label->text(), parent);
    QCOMPARE(w.Job().Destination, parent.toStdString());
    QVERIFY(erase->isEnabled());

    WriteText(dest / "kept/file", "data");
    h.Pick(dest.path().string(), "cmdDestino");
    Type(name, QStringLiteral("kept"));
    Click(create);
    QVERIFY(LastMessageIs(Text(85), MessageIcon::Exclamation));
    QCOMPARE(label->text(), Q(dest / "kept"));
    QVERIFY(!create->isEnabled());
    Click(erase);
    QVERIFY(LastMessageIs(Text(83), MessageIcon::Exclamation));
    QCOMPARE(ReadText(dest / "kept/file"), std::string("data"));
    QCOMPARE(label->text(), parent);

    // A destination that is not there is reported at once.
    h.Pick(dest / "gone", "cmdDestino");
    QVERIFY(LastMessageIs(Text(86), MessageIcon::Critical));
    QVERIFY(free->text().isEmpty());
  }
};

QTEST_MAIN(Form2SourcesTest)
#include "form2_sources_test.moc"
