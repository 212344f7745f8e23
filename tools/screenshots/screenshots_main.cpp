// orvessa-screenshots OUT_FOLDER EXAMPLE_FOLDER DESTINATION: pictures of every tab of the
// window in every language, with the example folder selected, for the README and for
// checking that no text is cut off. Run it under a display (Xvfb does).
#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <cstdio>

#include "app/program_folders.hpp"
#include "i18n/string_table.hpp"
#include "platform/linux/logind_power.hpp"
#include "platform/linux/posix_file_system.hpp"
#include "platform/linux/qt_event_pump.hpp"
#include "platform/linux/qt_locale.hpp"
#include "platform/linux/qt_settings_store.hpp"
#include "platform/linux/system_clock.hpp"
#include "ui/dialogs.hpp"
#include "ui/form2.hpp"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 4) {
    std::fprintf(stderr, "usage: orvessa-screenshots OUT_FOLDER EXAMPLE_FOLDER DESTINATION\n");
    return 64;
  }
  QCoreApplication::setOrganizationName(QStringLiteral("Orvessa"));
  QCoreApplication::setApplicationName(QStringLiteral("Orvessa"));
  const QString out = QString::fromLocal8Bit(argv[1]);
  const std::string example = QDir(QString::fromLocal8Bit(argv[2])).absolutePath().toStdString();
  const QString destination = QDir(QString::fromLocal8Bit(argv[3])).absolutePath();
  QDir().mkpath(out);
  QDir().mkpath(destination);

  using namespace orvessa;
  PosixFileSystem fs;
  SystemClock clock;
  QtLocale locale;
  QtEventPump pump;
  LogindPower power;
  QtSettingsStore settings;
  const std::string data = DataFolder(QCoreApplication::applicationFilePath().toStdString());
  Form2 window(Form2Services{fs, clock, locale, pump, power, settings},
               Form2Folders{ProgramFolder(), data, example}, kEnglishBase, 6.01f);
  window.Form_Load();
  window.show();
  QTest::qWait(300);

  // A selection like a user's: the example's folders and one of its files.
  for (int row = 0; row < window.Dir1->count(); ++row) {
    const QString name = window.Dir1->item(row)->text().trimmed();
    if (name == QStringLiteral("Letters") || name == QStringLiteral("Recipes")) {
      window.Dir1->setCurrentRow(row);
      window.cmdAnadirCarp_Click();
    }
  }
  window.Dir1->setCurrentRow(-1);
  for (int row = 0; row < window.File1->count(); ++row) {
    window.File1->item(row)->setSelected(
        window.File1->item(row)->text().endsWith(QStringLiteral(".txt")));
  }
  window.cmdAnadirFich_Click();
  Dialogs::setNextFileName(destination);
  window.cmdDestino_Click();
  window.txtDir->setText(QStringLiteral("Weekly"));
  window.optIncremental_Click();
  window.OptCada_Click();
  window.updDSM_UpClick();
  window.cboDSM->setCurrentIndex(1);
  window.cboDSM_Click();
  window.txtHora->setText(QStringLiteral("18"));
  window.txtMinutos->setText(QStringLiteral("30"));

  // The run waits for the drive before each folder, so a picture taken a second in shows
  // it under way.
  QTimer::singleShot(1000, &window,
                     [&] { window.grab().save(out + QStringLiteral("/running.png")); });
  window.cmdCopiar_Click();

  const char* const languages[4] = {"en", "es", "de", "fr"};
  for (int language = 0; language < 4; ++language) {
    window.SelectLanguage(language);
    for (int tab = 0; tab < 3; ++tab) {
      window.SSTab1->setCurrentIndex(tab);
      QTest::qWait(150);
      const QString file = QStringLiteral("%1/%2_tab%3.png")
                               .arg(out, QString::fromLatin1(languages[language]))
                               .arg(tab + 1);
      if (!window.grab().save(file)) {
        std::fprintf(stderr, "cannot write %s\n", file.toLocal8Bit().constData());
        return 1;
      }
    }
  }
  return 0;
}
