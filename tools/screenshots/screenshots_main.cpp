// orvessa-screenshots OUT_FOLDER EXAMPLE_FOLDER DESTINATION: pictures of every tab of the
// window and of the Restore window in every language, with the example folder selected,
// for the README and for checking that no text is cut off. Run it under a display (Xvfb
// does). The window is driven as a user drives it: clicks and keys on its controls, found
// by their names.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>

#include "app/application.hpp"
#include "ui/dialogs.hpp"
#include "ui/form2.hpp"
#include "ui/restore_window.hpp"

namespace {

template <typename T>
T* Find(QWidget& window, const char* name) {
  return window.findChild<T*>(QString::fromUtf8(name));
}

// Where a user puts the pointer: inside an option's or box's mark, anywhere on a button.
void Click(QWidget& window, const char* name) {
  auto* button = Find<QAbstractButton>(window, name);
  QTest::mouseClick(button, Qt::LeftButton, {},
                    QPoint(std::min(button->width() / 2, 8), button->height() / 2));
}

void SelectRows(QListWidget* list, const QStringList& names) {
  for (int row = 0; row < list->count(); ++row) {
    list->item(row)->setSelected(names.contains(list->item(row)->text().trimmed()));
  }
}

}  // namespace

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  if (argc != 4) {
    std::fprintf(stderr, "usage: orvessa-screenshots OUT_FOLDER EXAMPLE_FOLDER DESTINATION\n");
    return 64;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  const std::string example = QDir(QString::fromLocal8Bit(argv[2])).absolutePath().toStdString();
  const QString destination = QDir(QString::fromLocal8Bit(argv[3])).absolutePath();
  QDir().mkpath(out);
  QDir().mkpath(destination);

  using namespace orvessa;
  Application application(qt, example);
  Form2& window = application.Window();
  window.show();
  QTest::qWait(300);

  // A selection like a user's: the example's folders and its text files.
  auto* folders = Find<QListWidget>(window, "Dir1");
  for (const QString& name : {QStringLiteral("Letters"), QStringLiteral("Recipes")}) {
    SelectRows(folders, {name});
    Click(window, "cmdA\u00f1adirCarp");
  }
  auto* files = Find<QListWidget>(window, "File1");
  QStringList texts;
  for (int row = 0; row < files->count(); ++row) {
    if (files->item(row)->text().endsWith(QStringLiteral(".txt")))
      texts << files->item(row)->text();
  }
  SelectRows(files, texts);
  Click(window, "cmdA\u00f1adirFich");
  Dialogs::setNextFileName(destination);
  Click(window, "cmdDestino");
  Find<QLineEdit>(window, "txtDir")->setText(QStringLiteral("Weekly"));
  Click(window, "optIncremental");
  Click(window, "OptCada");
  QTest::mouseClick(
      Find<QWidget>(window, "updDSM")->findChild<QAbstractButton*>(QStringLiteral("up")),
      Qt::LeftButton);
  auto* units = Find<QComboBox>(window, "cboDSM");
  units->setCurrentIndex(1);
  emit units->activated(1);
  Find<QLineEdit>(window, "txtHora")->setText(QStringLiteral("18"));
  Find<QLineEdit>(window, "txtMinutos")->setText(QStringLiteral("30"));

  // The run waits for the drive before each folder, so a picture taken a second in shows
  // it under way.
  QTimer::singleShot(1000, &window,
                     [&] { window.grab().save(out + QStringLiteral("/running.png")); });
  Click(window, "cmdCopiar");

  const char* const languages[4] = {"en", "es", "de", "fr"};
  const char* const entries[4] = {"mnuLang_ingl\u00e9s", "mnuLang_espa\u00f1ol",
                                  "mnuLang_alem\u00e1n", "mnuLang_franc\u00e9s"};
  auto* tabs = Find<QTabWidget>(window, "SSTab1");
  for (int language = 0; language < 4; ++language) {
    window.findChild<QAction*>(QString::fromUtf8(entries[language]))->trigger();
    for (int tab = 0; tab < 3; ++tab) {
      tabs->setCurrentIndex(tab);
      QTest::qWait(150);
      const QString file = QStringLiteral("%1/%2_tab%3.png")
                               .arg(out, QString::fromLatin1(languages[language]))
                               .arg(tab + 1);
      if (!window.grab().save(file)) {
        std::fprintf(stderr, "cannot write %s\n", file.toLocal8Bit().constData());
        return 1;
      }
    }
    // The About box of the language, beside the window as the user sees it.
    window.findChild<QAction*>(QStringLiteral("mnuAyudaAcercade"))->trigger();
    QTest::qWait(300);
    Form4* about = window.AboutBox();
    const QString about_file =
        QStringLiteral("%1/%2_about.png").arg(out, QString::fromLatin1(languages[language]));
    if (about == nullptr || !about->grab().save(about_file)) {
      std::fprintf(stderr, "cannot write %s\n", about_file.toLocal8Bit().constData());
      return 1;
    }
    about->close();
    QTest::qWait(100);
  }

  // The Restore window over two copies, in every language.
  const auto wait_for_run = [&] {
    for (int i = 0; i < 600 && window.RunInProgress(); ++i) QTest::qWait(50);
  };
  wait_for_run();
  Click(window, "cmdCopiar");
  wait_for_run();
  for (int language = 0; language < 4; ++language) {
    window.findChild<QAction*>(QString::fromUtf8(entries[language]))->trigger();
    window.findChild<QAction*>(QStringLiteral("mnuRecuperar"))->trigger();
    RestoreWindow* restore = window.RestoreBox();
    const auto grab = [&](const char* page) {
      for (int i = 0; i < 200 && restore->Busy(); ++i) QTest::qWait(20);
      QTest::qWait(300);
      const QString file =
          QStringLiteral("%1/%2_restore_%3.png")
              .arg(out, QString::fromLatin1(languages[language]), QString::fromLatin1(page));
      if (restore->grab().save(file)) return true;
      std::fprintf(stderr, "cannot write %s\n", file.toLocal8Bit().constData());
      return false;
    };
    if (!grab("copies")) return 1;
    Find<QLineEdit>(*restore, "txtSearch")->setText(QStringLiteral("txt"));
    Click(*restore, "cmdSearch");
    if (!grab("search")) return 1;
    // The newest copy's found files restored to a folder of their own, and the summary.
    auto* found = Find<QTreeWidget>(*restore, "lstFound");
    for (int row = 0; row < found->topLevelItemCount(); ++row) {
      QTreeWidgetItem* item = found->topLevelItem(row);
      item->setSelected(item->text(0) == found->topLevelItem(0)->text(0));  // one copy's
    }
    Dialogs::setNextFileName(destination + QStringLiteral("/restored"));
    QDir().mkpath(destination + QStringLiteral("/restored"));
    Click(*restore, "cmdRestoreToFolder");
    if (!grab("done")) return 1;
  }
  return 0;
}
