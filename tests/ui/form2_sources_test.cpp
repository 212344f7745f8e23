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

  // Which entries the editor takes is its own table's; here the highlighted names reach it
  // in list order, highlights survive a new listing, and the list and the size follow.
  void highlightedEntriesReachTheJobAndTheSizeFollows() {
    Harness h({{"a1.txt", std::string(499, 'x')},
               {"a2.txt", std::string(1500, 'x')},
               {"sub/inner", std::string(3000, 'x')}});
    Form2& w = *h.window;
    auto* folders = h.Find<QListWidget>("Dir1");
    auto* files = h.Find<QListWidget>("File1");
    auto* list = h.Find<QListWidget>("List1");
    auto* add_files = h.Find<QPushButton>("cmdA\u00f1adirFich");
    auto* remove = h.Find<QPushButton>("cmdQuitarElem");
    const QString start = Q(h.start), a1 = start + QStringLiteral("/a1.txt"),
                  a2 = start + QStringLiteral("/a2.txt"), sub = start + QStringLiteral("/sub/*");
    ClickRow(files, QStringLiteral("a2.txt"));
    Click(add_files);
    QCOMPARE(h.Label("Label9"), QStringLiteral("2 KB"));
    ClickRow(folders, QStringLiteral("sub"));
    ClickRow(files, QStringLiteral("a1.txt"));
    ClickRow(files, QStringLiteral("a2.txt"), Qt::ControlModifier);  // listed already
    Click(h.Find<QCheckBox>("Ocultos"));
    Choose(h.Find<QComboBox>("Filtro"), 1);
    Choose(h.Find<QComboBox>("Filtro"), 0);
    Click(h.Find<QPushButton>("cmdA\u00f1adirCarp"));
    Click(add_files);
    QCOMPARE(folders->currentItem()->toolTip(), Q(h.start + "/sub"));  // highlighted, not opened
    QCOMPARE(Lines(list), QStringList({a2, sub, a1}));
    QCOMPARE(w.Job().SelectedBytes, 4999.0);
    QCOMPARE(h.Label("Label9"), QStringLiteral("5 KB"));

    ClickRow(list, sub);
    Click(remove);
    QCOMPARE(Lines(list), QStringList({a2, a1}));
    QCOMPARE(h.Label("Label9"), QStringLiteral("2 KB"));
    list->clearSelection();
    Click(remove);
    QCOMPARE(w.Job().Sources.size(), std::size_t{2});
    // A highlight the user takes away leaves the open folder.
    folders->clearSelection();
    Click(h.Find<QPushButton>("cmdA\u00f1adirCarp"));
    QCOMPARE(list->item(2)->text(), start + QStringLiteral("/*"));
    Click(h.Find<QPushButton>("CmdQuitarTodos"));
    QVERIFY(list->count() == 0 && w.Job().Sources.empty() && w.Job().SelectedBytes == 0);
    QCOMPARE(h.Label("Label9"), QString());
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
    Click(h.Find<QPushButton>("cmdDestino"));  // cancelled: nothing to measure, nothing to report
    QVERIFY(label->text().isEmpty() && free->text().isEmpty() && w.Job().Destination.empty());
    QVERIFY(Dialogs::ShownMessages().empty());
    Type(name, Q(stray));
    Click(create);
    QVERIFY(LastMessageIs(Text(text_id::kNoDestination), MessageIcon::Critical));
    QVERIFY(!Exists("/" + stray));

    h.Pick(dest.path().string(), "cmdDestino");
    Type(name, QStringLiteral("a/b"));
    Click(create);
    QVERIFY(LastMessageIs(Text(text_id::kNewFolderName), MessageIcon::Information));
    QCOMPARE(Names(dest.path().string()), std::vector<std::string>{});
    Dialogs::ClearShown();
    Type(name, QStringLiteral("new"));
    Click(create);
    QVERIFY(std::filesystem::is_directory(dest / "new"));
    QCOMPARE(label->text(), Q(dest / "new"));
    QCOMPARE(w.Job().Destination, dest / "new");
    QVERIFY(!create->isEnabled() && Dialogs::ShownMessages().empty());
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
