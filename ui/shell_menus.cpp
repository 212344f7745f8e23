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

  connect(mnuAbreTrab, &QAction::triggered, this, &ShellMenus::OpenClicked);
  connect(mnuGuardaTrab, &QAction::triggered, this, &ShellMenus::SaveClicked);
  connect(mnuArchivo_Salir, &QAction::triggered, this, &ShellMenus::ExitClicked);
  connect(mnupopRestaurar, &QAction::triggered, this, &ShellMenus::RestoreClicked);
  connect(mnupopSalir, &QAction::triggered, this, &ShellMenus::TrayExitClicked);
}

void ShellMenus::ApplyTexts(const TabHost& host, Mnemonics& letters) {
  mnuAbreTrab->setText(host.Text(kLoadJob));
  mnuGuardaTrab->setText(host.Text(kSaveJob));
  mnuArchivo_Salir->setText(host.Text(kExit));
  mnupopRestaurar->setText(host.Text(kTrayRestore));
  mnupopSalir->setText(host.Text(kTrayExit));
  MenuArchivo->setTitle(letters.Mark(host.Text(kFileMenu)));
  MenuArchivo->setAccessibleName(NameOf(host.Text(kFileMenu)));
  mnuSystray->setAccessibleName(QStringLiteral("Orvessa"));
}

}  // namespace orvessa
