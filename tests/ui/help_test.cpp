// The Help menu's commands and the About box, driven as a user drives them.
#include <QDialog>
#include <QSignalSpy>
#include <QUrlQuery>
#include <fstream>

#include "app/desktop_url_opener.hpp"
#include "tests/ui/form2_harness.hpp"
#include "ui/form4.hpp"

namespace orvessa::testing {
namespace {

struct Language {
  const char* entry;
  std::int16_t base;
  const char* page;
  const char* help_title;
};
const Language kLanguages[] = {{"mnuLang_ingl\u00e9s", kEnglishBase, "en", "&Help"},
                               {"mnuLang_espa\u00f1ol", kSpanishBase, "es", "A&yuda"},
                               {"mnuLang_alem\u00e1n", kGermanBase, "de", "&Hilfe"},
                               {"mnuLang_franc\u00e9s", kFrenchBase, "fr", "A&ide"}};

const std::string kSpanishMail =
    "mailto:soporte@orvessa.example.org?subject=Soporte T\u00e9cnico&body=Escriba a "
    "continuaci\u00f3n su consulta o descripci\u00f3n del problema:";
const std::string kEnglishMail =
    "mailto:soporte@orvessa.example.org?subject=Technical Support&body=Write here your "
    "consultation or trouble description:";

// An executable script on a private PATH that notes its arguments in a file when run.
void FakeTool(const std::string& folder, const std::string& name, const std::string& log) {
  std::filesystem::create_directories(folder);
  const std::string path = folder + "/" + name;
  std::ofstream(path) << "#!/bin/sh\necho \"" << name << " $*\" >" << log << "\n";
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

}  // namespace

class HelpTest : public WindowTestCase {
  Q_OBJECT
 private slots:
  // F1 and Contents open the page of the language chosen last; the web page and the
  // e-mail link are handed over exactly as written, Spanish only for Spanish.
  void menuHoldsTheHelpEntriesAndHandsOverTheLanguagesAddresses() {
    Harness h;
    QStringList names;
    for (const QAction* action : h.Find<QMenu>("mnuAyuda")->actions())
      names << action->objectName();
    QCOMPARE(names, QStringList({QStringLiteral("mnuAyudaContenido"), QString(),
                                 QStringLiteral("Separador"), QStringLiteral("mnuAyudaAcercade")}));
    for (const Language& language : kLanguages) {
      h.Action(language.entry)->trigger();
      // Reached with Alt and a letter no other menu or button of the window takes.
      QCOMPARE(h.Find<QMenu>("mnuAyuda")->title(), QString::fromUtf8(language.help_title));
      QCOMPARE(h.Action("mnuAyudaContenido")->text(), Text(12, language.base));
      QCOMPARE(h.Find<QMenu>("mnuContacto")->title(), Text(14, language.base));
      QCOMPARE(h.Action("mnuWeb")->text(), Text(15, language.base));
      // "&" in "spanish & english" shows as it is, not as an Alt letter.
      QCOMPARE(h.Action("mnuEmail")->text().replace(QStringLiteral("&&"), QStringLiteral("&")),
               Text(16, language.base));
      QCOMPARE(h.Action("mnuAyudaAcercade")->text(), Text(17, language.base));

      h.opener.urls.clear();
      QTest::keyClick(h.window.get(), Qt::Key_F1);
      for (const char* command : {"mnuAyudaContenido", "mnuWeb", "mnuEmail"})
        h.Action(command)->trigger();
      const std::string page = "file://" + h.data + "/help/" + language.page + ".html";
      const std::vector<std::string> expected = {
          page, page, "https://www.orvessa.example.org/",
          language.base == kSpanishBase ? kSpanishMail : kEnglishMail};
      QCOMPARE(h.opener.urls, expected);
    }
  }

  // What Qt gives the mail program: blanks and accents percent-encoded, the colon and the
  // query's separators kept, and decoded the very text that was handed over.
  void desktopOpenerKeepsTheLinkText() {
    const QUrl url = ToQUrl(kSpanishMail);
    QVERIFY(url.isValid());
    QCOMPARE(url.toString(QUrl::FullyDecoded).toStdString(), kSpanishMail);
    QCOMPARE(url.toEncoded(),
             QByteArray("mailto:soporte@orvessa.example.org?subject=Soporte%20T%C3%A9cnico&body="
                        "Escriba%20a%20continuaci%C3%B3n%20su%20consulta%20o%20descripci%C3%B3n%"
                        "20del%20problema:"));
    const QUrlQuery query(url);
    QCOMPARE(query.queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded),
             QStringLiteral("Soporte T\u00e9cnico"));
    // A help page in a folder with a blank and a "#" stays one local file.
    const QString page = QStringLiteral("/tmp/a b#c/help/en.html");
    QCOMPARE(
        ToQUrl(QUrl::fromLocalFile(page).toString(QUrl::FullyEncoded).toStdString()).toLocalFile(),
        page);
  }

  void aboutBoxShowsItsTextsInEveryLanguage() {
    Harness h;
    for (const Language& language : kLanguages) {
      h.Action(language.entry)->trigger();
      h.Action("mnuAyudaAcercade")->trigger();
      QPointer<Form4> about = h.window->AboutBox();
      QVERIFY(about != nullptr && about->isVisible());
      QCOMPARE(about->windowTitle(), QStringLiteral("Acerca de Orvessa"));
      const auto shown = [&about](const char* name) {
        QWidget* control = about->findChild<QWidget*>(QString::fromUtf8(name));
        if (auto* label = qobject_cast<QLabel*>(control)) return label->text();
        return qobject_cast<QPushButton*>(control)->text();
      };
      QCOMPARE(shown("lblTitle"), QStringLiteral("Orvessa"));
      QCOMPARE(shown("lblVersion"), Text(74, language.base) + QStringLiteral(" " ORVESSA_VERSION));
      QCOMPARE(shown("Label1"), Text(75, language.base));
      QCOMPARE(shown("lblDisclaimer"), Text(76, language.base).trimmed());
      QCOMPARE(shown("cmdSysInfo"), Text(77, language.base));
      QCOMPARE(shown("cmdOK"), Text(78, language.base));
      // The link is clicked as a user clicks it.
      h.opener.urls.clear();
      auto* link = about->findChild<QLabel*>(QStringLiteral("lblP\u00e1ginaweb2"));
      QVERIFY(link->text().contains(QStringLiteral(">https://www.orvessa.example.org/<")));
      emit link->linkActivated(QStringLiteral("https://www.orvessa.example.org/"));
      QCOMPARE(h.opener.urls, std::vector<std::string>{"https://www.orvessa.example.org/"});
      QTest::mouseClick(about->findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
      QTRY_VERIFY(about.isNull());
    }
    QCOMPARE(QStringLiteral(ORVESSA_VERSION), QStringLiteral("0.1.0"));
  }

  // The box stays beside the window, which keeps working; a language change does not
  // reach the open box; OK closes it, and About again opens a fresh one.
  void aboutBoxIsNotModal() {
    Harness h;
    h.Action("mnuAyudaAcercade")->trigger();
    QPointer<Form4> about = h.window->AboutBox();
    QVERIFY(about != nullptr);
    QVERIFY(!about->isModal());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QVERIFY(h.window->isVisible());
    h.Action("mnuLang_alem\u00e1n")->trigger();
    QCOMPARE(about->findChild<QPushButton*>(QStringLiteral("cmdSysInfo"))->text(),
             Text(77, kEnglishBase));
    h.Action("mnuAyudaAcercade")->trigger();
    QCOMPARE(h.window->AboutBox(), about.data());  // the open box comes forward, no second one

    about->activateWindow();
    QVERIFY(QTest::qWaitFor([&] { return h.window->StayVisibleWhenActive(); }));
    QTest::mouseClick(about->findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
    QTRY_VERIFY(about.isNull());
    QVERIFY(h.window->isVisible());
  }

  void systemInfoStartsTheFirstToolFound() {
    TempFolder temp;
    const std::string bin = temp / "bin", log = temp / "started";
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(bin));
    RecordingOpener opener;
    Form4 about(nullptr, kGermanBase, &opener);
    about.Form_Load();
    auto* button = about.findChild<QPushButton*>(QStringLiteral("cmdSysInfo"));

    // None of the tools: message 113 in the box's language, no icon, nothing started.
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(Dialogs::ShownMessages().size(), 1u);
    QCOMPARE(Dialogs::ShownMessages().back().text, Text(113, kGermanBase));
    QCOMPARE(Dialogs::ShownMessages().back().icon, MessageIcon::None);

    // GNOME Settings opens at its About page; HardInfo, earlier in the list, wins once there.
    FakeTool(bin, "gnome-control-center", log);
    QTest::mouseClick(button, Qt::LeftButton);
    QTRY_COMPARE(ReadText(log), std::string("gnome-control-center info-overview\n"));
    std::filesystem::remove(log);
    FakeTool(bin, "hardinfo", log);
    QTest::mouseClick(button, Qt::LeftButton);
    QTRY_COMPARE(ReadText(log), std::string("hardinfo \n"));
    QCOMPARE(Dialogs::ShownMessages().size(), 1u);
    qputenv("PATH", path);
  }
};

}  // namespace orvessa::testing

QTEST_MAIN(orvessa::testing::HelpTest)
#include "help_test.moc"
