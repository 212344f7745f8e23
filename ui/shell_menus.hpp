#pragma once

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QObject>
#include <QWidget>
#include <vector>

#include "ui/mnemonics.hpp"
#include "ui/tab_host.hpp"

namespace orvessa {

// The File menu and the tray icon's menu, which is never on the menu bar.
class ShellMenus : public QObject {
  Q_OBJECT
 public:
  ShellMenus(QMenuBar& bar, QWidget& window);

  QMenu* TrayMenu() const { return mnuSystray; }
  // Locked while a run copies.
  std::vector<QAction*> JobCommands() const { return {mnuAbreTrab, mnuGuardaTrab}; }
  // The File menu takes its Alt letter first.
  void ApplyTexts(const TabHost& host, Mnemonics& letters);

 signals:
  void OpenClicked();
  void SaveClicked();
  void RestoreFilesClicked();  // File > Restore… and the tray's Restore…
  void ExitClicked();
  // The tray menu's commands.
  void RestoreClicked();
  void TrayExitClicked();

 private:
  QMenu* MenuArchivo;
  QAction* mnuAbreTrab;
  QAction* mnuGuardaTrab;
  QAction* mnuRecuperar;
  QAction* mnuArchivo_Salir;
  QMenu* mnuSystray;
  QAction* mnupopRestaurar;
  QAction* mnupopRecuperar;
  QAction* mnupopSalir;
};

}  // namespace orvessa
