#include "ui/shell_menus.hpp"

#include "i18n/text_ids.hpp"
#include "ui/make_widget.hpp"

namespace orvessa {
using namespace text_id;

ShellMenus::ShellMenus(QMenuBar& bar, QWidget& window) : QObject(&window) {
  MenuArchivo = bar.addMenu(QString());
  MenuArchivo->setObjectName(QStringLiteral("Men\u00faArchivo"));
  mnuAbreTrab = MenuArchivo->addAction(QString());
  mnuAbreTrab->setObjectName(QStringLiteral("mnuAbreTrab"));
  mnuAbreTrab->setShortcut(QKeySequence::Open);
  mnuGuardaTrab = MenuArchivo->addAction(QString());
  mnuGuardaTrab->setObjectName(QStringLiteral("mnuGuardaTrab"));
  mnuGuardaTrab->setShortcut(QKeySequence::Save);
  mnuRecuperar = MenuArchivo->addAction(QString());
  mnuRecuperar->setObjectName(QStringLiteral("mnuRecuperar"));
  mnuRecuperar->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
  MenuArchivo->addSeparator();
  mnuArchivo_Salir = MenuArchivo->addAction(QString());
  mnuArchivo_Salir->setObjectName(QStringLiteral("mnuArchivo_Salir"));

  mnuSystray = new QMenu(&window);
  mnuSystray->setObjectName(QStringLiteral("mnuSystray"));
  mnupopRestaurar = mnuSystray->addAction(QString());
  mnupopRestaurar->setObjectName(QStringLiteral("mnupopRestaurar"));
  mnuSystray->addSeparator();
  mnupopSalir = mnuSystray->addAction(QString());
  mnupopSalir->setObjectName(QStringLiteral("mnupopSalir"));
  // Last, so that Restore and Exit keep the places users and scripts know them by.
  mnuSystray->addSeparator();
  mnupopRecuperar = mnuSystray->addAction(QString());
  mnupopRecuperar->setObjectName(QStringLiteral("mnupopRecuperar"));

  connect(mnuAbreTrab, &QAction::triggered, this, &ShellMenus::OpenClicked);
  connect(mnuGuardaTrab, &QAction::triggered, this, &ShellMenus::SaveClicked);
  connect(mnuRecuperar, &QAction::triggered, this, &ShellMenus::RestoreFilesClicked);
  connect(mnupopRecuperar, &QAction::triggered, this, &ShellMenus::RestoreFilesClicked);
  connect(mnuArchivo_Salir, &QAction::triggered, this, &ShellMenus::ExitClicked);
  connect(mnupopRestaurar, &QAction::triggered, this, &ShellMenus::RestoreClicked);
  connect(mnupopSalir, &QAction::triggered, this, &ShellMenus::TrayExitClicked);
}

void ShellMenus::ApplyTexts(const TabHost& host, Mnemonics& letters) {
  mnuAbreTrab->setText(host.Text(kLoadJob));
  mnuGuardaTrab->setText(host.Text(kSaveJob));
  mnuRecuperar->setText(host.Text(kRestoreMenu));
  mnuArchivo_Salir->setText(host.Text(kExit));
  mnupopRestaurar->setText(host.Text(kTrayRestore));
  mnupopRecuperar->setText(host.Text(kRestoreMenu));
  mnupopSalir->setText(host.Text(kTrayExit));
  MenuArchivo->setTitle(letters.Mark(host.Text(kFileMenu)));
  MenuArchivo->setAccessibleName(NameOf(host.Text(kFileMenu)));
  mnuSystray->setAccessibleName(QStringLiteral("Orvessa"));
}

}  // namespace orvessa
