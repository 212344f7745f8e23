// The window as a whole: its texts in every language, its first state, its size and
// place on the screen, the keyboard, screen readers and dark palettes.
#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QLibraryInfo>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>

#include "tests/ui/form2_harness.hpp"

using namespace orvessa;
using namespace orvessa::testing;
using namespace orvessa::text_id;

namespace {

constexpr std::pair<const char*, int> kCaptions[] = {{"Frame5", kSourceDrive},
                                                     {"Label17", kFilterByExtension},
                                                     {"Frame1", kSeeFiles},
                                                     {"Ocultos", kHidden},
                                                     {"Sistema", kSystem},
                                                     {"Modificados", kModified},
                                                     {"Label1", kNumberOfFiles},
                                                     {"Frame4", kSelection},
                                                     {"cmdA\u00f1adirCarp", kAddFolders},
                                                     {"cmdA\u00f1adirFich", kAddFiles},
                                                     {"cmdQuitarElem", kRemoveItem},
                                                     {"CmdQuitarTodos", kRemoveAll},
                                                     {"Label4", kNecessarySpaceSource},
                                                     {"Frame3", kChooseDestination},
                                                     {"Label3", kAvailableDriveSpace},
                                                     {"cmdDestino", kSearchDrive},
                                                     {"Label10", kCreateOrErase},
                                                     {"cmdCreaDirectorio", kCreateFolder},
                                                     {"cmdBorraDir", kEraseFolder},
                                                     {"Frame6", kKindOfCopy},
                                                     {"optTodo", kOverwriteAll},
                                                     {"optIncremental", kKeepPriorCopies},
                                                     {"Label12", kCopiesToKeep},
                                                     {"Frame9", kPeriodicalBackup},
                                                     {"Label13", kDetermineWhen},
                                                     {"optManual", kRunManually},
                                                     {"OptCada", kEvery},
                                                     {"chkHoraGraba", kTimeOfCopy},
                                                     {"chkApaga", kCopyAtShutdown},
                                                     {"Label18", kYouCanSave},
                                                     {"cmdGuardar", kSave},
                                                     {"Label14", kNecessarySpace},
                                                     {"Label20", kAvailableSpace},
                                                     {"Frame2", kRunningBackup},
                                                     {"Label6", kCopying},
                                                     {"cmdCopiar", kRunNow},
                                                     {"cmdDetener", kStop},
                                                     {"chkShutDown", kShutDownWhenFinished},
                                                     {"Panel1", kLastCopy}};

constexpr std::pair<const char*, int> kActionTexts[] = {{"mnuAbreTrab", kLoadJob},
                                                        {"mnuGuardaTrab", kSaveJob},
                                                        {"mnuArchivo_Salir", kExit},
                                                        {"mnuCompartir", kShareUnchangedFiles},
                                                        {"mnuOpInicioSi", kStartWithSession},
                                                        {"mnuOpInicioNo", kNoStartWithSession}};

const char* const kMainButtons[] = {
    "cmdCopiar",     "cmdDetener",     "cmdGuardar", "cmdA\u00f1adirCarp", "cmdA\u00f1adirFich",
    "cmdQuitarElem", "CmdQuitarTodos", "cmdDestino", "cmdCreaDirectorio",  "cmdBorraDir"};

const char* const kLanguageEntries[4] = {"mnuLang_ingl\u00e9s", "mnuLang_espa\u00f1ol",
                                         "mnuLang_alem\u00e1n", "mnuLang_franc\u00e9s"};
constexpr std::int16_t kBases[4] = {kEnglishBase, kSpanishBase, kGermanBase, kFrenchBase};

QString Shown(QWidget* control) {
  if (auto* label = qobject_cast<QLabel*>(control)) return label->text();
  if (auto* button = qobject_cast<QAbstractButton*>(control)) return Caption(button);
  if (auto* frame = qobject_cast<QGroupBox*>(control)) return frame->title();
  return {};
}

QString AccessibleName(QObject* control) {
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(control);
  return face ? face->text(QAccessible::Name) : QString();
}

// Relative luminance contrast of two colours, 1 to 21.
double Contrast(const QColor& a, const QColor& b) {
  auto luminance = [](const QColor& c) {
    auto channel = [](double v) {
      return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
  };
  const double x = luminance(a), y = luminance(b);
  return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

}  // namespace

class Form2WindowTest : public WindowTestCase {
  Q_OBJECT
 private slots:
  void everyTextNameAndAltLetterFollowsTheLanguage() {
    Harness h;
    Form2& w = *h.window;
    auto* tabs = h.Find<QTabWidget>("SSTab1");
    for (int language = 0; language < 4; ++language) {
      h.Action(kLanguageEntries[language])->trigger();
      const int base = kBases[language];
      QCOMPARE(w.windowTitle(), Text(kMainTitle, base));
      QCOMPARE(QString(h.Find<QMenu>("Men\u00faArchivo")->title()).remove(u'&'),
               Text(kFileMenu, base));
      QCOMPARE(h.Find<QMenu>("mnuOpciones")->title().remove(u'&'), Text(kOptionsMenu, base));
      for (const auto& [name, number] : kActionTexts) {
        QVERIFY2(h.Action(name)->text() == Text(number, base), name);
      }
      const int tab_texts[3] = {kSourceTab, kDestinationTab, kCopyTab};
      for (int tab = 0; tab < 3; ++tab) QCOMPARE(tabs->tabText(tab), Text(tab_texts[tab], base));
      for (const auto& [name, number] : kCaptions) {
        QVERIFY2(Shown(h.Find(name)) == Text(number, base), name);
      }
      auto* units = h.Find<QComboBox>("cboDSM");
      QCOMPARE(units->count(), 3);
      for (int line = 0; line < 3; ++line)
        QCOMPARE(units->itemText(line), Text(kDays + line, base));

      // One Alt letter per main button, none used twice.
      QSet<QChar> letters;
      for (const char* name : kMainButtons) {
        const QString text = h.Find<QPushButton>(name)->text();
        const qsizetype at = text.indexOf(u'&');
        QVERIFY2(at >= 0 && at + 1 < text.size() && text[at + 1].isLetter(), name);
        letters.insert(text[at + 1].toLower());
      }
      QCOMPARE(letters.size(), qsizetype(std::size(kMainButtons)));

      // Screen readers find every control by a name in the user's language.
      const QList<QWidget*> controls = w.findChildren<QWidget*>();
      for (QWidget* control : controls) {
        if (control->objectName().isEmpty() ||
            control->objectName().startsWith(QStringLiteral("qt_")))
          continue;
        QVERIFY2(!AccessibleName(control).trimmed().isEmpty(), qPrintable(control->objectName()));
      }
      QCOMPARE(AccessibleName(h.Find("txtNcopias")),
               QString(Text(kCopiesToKeep, base)).remove(u':').trimmed());
      QCOMPARE(AccessibleName(h.Find("Panel5")), Text(kLastOutcome, base));
      QVERIFY(!AccessibleName(h.Arrow("updHora", "up")).isEmpty());
      QVERIFY(AccessibleName(h.Arrow("updHora", "up")) !=
              AccessibleName(h.Arrow("updHora", "down")));
    }
  }

  void theOptionsMenuSharingItemIsOnByDefaultAndRemembered() {
    Harness h;
    QAction* share = h.Action("mnuCompartir");
    QVERIFY(share->isCheckable() && share->isChecked());
    share->trigger();
    QVERIFY(!share->isChecked());
    QCOMPARE(h.settings.Get("Options", "ShareUnchangedFiles", ""), std::string("0"));
    Form2 again(h.Services(), Form2Folders{h.program, h.data, h.start, h.state}, kGermanBase,
                6.01f);
    again.Form_Load();
    QAction* stored = again.findChild<QAction*>(QStringLiteral("mnuCompartir"));
    QVERIFY(!stored->isChecked());
    QCOMPARE(stored->text(), Text(kShareUnchangedFiles, kGermanBase));
  }

  void theWindowStartsEmptyWithOnlyWhatCanBeUsedEnabled() {
    Harness h;
    for (const char* off : {"OptCada", "optTodo", "optIncremental", "chkHoraGraba", "chkApaga",
                            "chkShutDown", "Ocultos", "Sistema", "Modificados"})
      QVERIFY2(!h.Find<QAbstractButton>(off)->isChecked(), off);
    for (const char* disabled : {"txtNumDSM", "cboDSM", "chkHoraGraba", "txtHora", "txtMinutos",
                                 "chkApaga", "cmdCreaDirectorio", "cmdBorraDir", "cmdDetener"})
      QVERIFY2(!h.Find(disabled)->isEnabled(), disabled);
    for (const char* enabled : {"txtNcopias", "chkShutDown", "cmdCopiar", "cmdDestino"})
      QVERIFY2(h.Find(enabled)->isEnabled(), enabled);
    QStringList texts;
    for (const char* box : {"txtNcopias", "txtNumDSM", "txtHora", "txtMinutos"})
      texts << h.Find<QLineEdit>(box)->text();
    QCOMPARE(texts.join(u' '), QStringLiteral("2 1 00 00"));
    QVERIFY(h.Find("Label6")->isHidden() && h.Find("Animation1")->isHidden());
    QCOMPARE(h.Find<QComboBox>("cboDSM")->currentIndex(), -1);
    QVERIFY(!h.Find<QTimer>("Timer1")->isActive() && !h.Find<QTimer>("Timer2")->isActive());
  }

  void theWindowFitsTheScreenAndRemembersWhereItWas() {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    {
      Harness h;
      QVERIFY(area.contains(h.window->frameGeometry()));
      h.window->resize(area.width() / 2, area.height() / 2);
      h.window->move(area.topLeft() + QPoint(30, 40));
      h.window->Form_Unload();
      const std::string stored = h.settings.Get("Window", "Geometry", "");
      QCOMPARE(Q(stored).split(u',').mid(2), QStringList({QString::number(area.width() / 2),
                                                          QString::number(area.height() / 2)}));
    }
    // Stored for a bigger screen, or partly off it: brought back inside.
    for (const char* stored : {"5000,4000,3000,2000", "-900,-700,400,300", "10,10,400,300"}) {
      Harness h;
      h.settings.Save("Window", "Geometry", stored);
      h.window->Form_Load();
      QVERIFY2(area.contains(h.window->frameGeometry()), stored);
      if (std::string(stored) == "10,10,400,300") QCOMPARE(h.window->size(), QSize(400, 300));
      // Small screens and large scale factors scroll a page rather than cut it.
      QVERIFY(h.window->minimumSizeHint().width() <= 640 &&
              h.window->minimumSizeHint().height() <= 400);
    }
  }

  void keyboardReachesTheControlsInReadingOrder() {
    Harness h({{"a.txt", "a"}});
    Form2& w = *h.window;
    QApplication::setActiveWindow(&w);
    h.Find("Drive1")->setFocus();
    for (const char* next : {"Dir1", "File1", "Filtro", "Ocultos", "Sistema", "Modificados",
                             "List1", "cmdA\u00f1adirCarp", "cmdA\u00f1adirFich"}) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget()->objectName(), QString::fromUtf8(next));
    }
    // Alt and a button's letter presses it.
    ClickRow(h.Find<QListWidget>("File1"), QStringLiteral("a.txt"));
    const QString add = h.Find<QPushButton>("cmdA\u00f1adirFich")->text();
    QTest::keyClick(&w, add[add.indexOf(u'&') + 1].toLower().toLatin1(), Qt::AltModifier);
    QTRY_COMPARE(h.Find<QListWidget>("List1")->count(), 1);  // a mnemonic presses for a moment
    const QString remove_all = h.Find<QPushButton>("CmdQuitarTodos")->text();
    QTest::keyClick(&w, remove_all[remove_all.indexOf(u'&') + 1].toLower().toLatin1(),
                    Qt::AltModifier);
    QTRY_COMPARE(h.Find<QListWidget>("List1")->count(), 0);
  }

  void spaceFiguresStayReadableUnderADarkPalette() {
    const QPalette before = QApplication::palette();
    QPalette dark(QColor(45, 45, 45), QColor(30, 30, 30));  // button and window
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
      dark.setColor(role, QColor(230, 230, 230));
    QApplication::setPalette(dark);
    {
      Harness h({{"a.txt", std::string(5000, 'a')}, {"big/", ""}});
      const TempFolder dest;
      h.Pick(dest.path().string(), "cmdDestino");
      auto* tabs = h.Find<QTabWidget>("SSTab1");
      for (bool short_of_space : {false, true}) {
        if (short_of_space) {
          // A sparse file counts with its length: more than the disk has free.
          const auto free = std::filesystem::space(dest.path()).available;
          WriteText(h.start + "/big/huge.bin", "");
          std::filesystem::resize_file(h.start + "/big/huge.bin", free + (std::uintmax_t{1} << 30));
          ClickRow(h.Find<QListWidget>("Dir1"), QStringLiteral("big"));
          Click(h.Find<QPushButton>("cmdA\u00f1adirCarp"));
        }
        tabs->setCurrentIndex(0);
        tabs->setCurrentIndex(2);
        Settle();
        for (const char* name : {"Label20", "Label21", "Label14", "Label8", "Frame2", "Panel5"}) {
          QWidget* control = h.Find(name);
          const double contrast = Contrast(control->palette().color(control->foregroundRole()),
                                           control->palette().color(QPalette::Window));
          QVERIFY2(contrast >= 4.5,
                   qPrintable(QStringLiteral("%1 %2").arg(QString::fromUtf8(name)).arg(contrast)));
        }
      }
      QVERIFY(h.Find<QLabel>("Label21")->font().bold());
      QVERIFY(h.Find<QLabel>("Label21")->palette().color(QPalette::WindowText) !=
              dark.color(QPalette::WindowText));
    }
    QApplication::setPalette(before);
  }

  void qtsOwnTextsFollowTheLanguage() {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!QFile::exists(folder + QStringLiteral("/qtbase_de.qm")))
      QSKIP("Qt's translations are not installed");
    Harness h;
    const auto cancel = [] { return QCoreApplication::translate("QPlatformTheme", "Cancel"); };
    h.Action("mnuLang_alem\u00e1n")->trigger();
    QCOMPARE(cancel(), QStringLiteral("Abbrechen"));
    h.Action("mnuLang_franc\u00e9s")->trigger();
    QCOMPARE(cancel(), QStringLiteral("Annuler"));
    h.Action("mnuLang_espa\u00f1ol")->trigger();
    QCOMPARE(cancel(), QStringLiteral("Cancelar"));
    h.Action("mnuLang_ingl\u00e9s")->trigger();
    QCOMPARE(cancel(), QStringLiteral("Cancel"));
  }
};

QTEST_MAIN(Form2WindowTest)
#include "form2_window_test.moc"
