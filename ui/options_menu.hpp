#pragma once

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QObject>
#include <cstdint>
#include <string>

#include "platform/autostart.hpp"
#include "platform/settings_store.hpp"

namespace orvessa {

class Mnemonics;

// The Options menu: start with the session or not, and sharing unchanged files between
// copies.
class OptionsMenu : public QObject {
  Q_OBJECT
 public:
  OptionsMenu(QMenuBar& bar, QWidget& window, Autostart& autostart, SettingsStore& settings);

  // The marks always say what the session will do, never what was merely asked for.
  void ShowStartupMarks();
  bool ShareUnchanged() const { return share_unchanged_; }
  QMenu* Menu() const { return mnuOpciones; }
  void ApplyTexts(std::int16_t language_base, Mnemonics& letters);

  void mnuOpInicioSi_Click();
  void mnuOpInicioNo_Click();

 private:
  // A choice that failed is said, with the system's reason; the marks then show the truth.
  void EndStartupChoice(const std::string& error, int caption);

  QWidget& window_;
  Autostart& autostart_;
  SettingsStore& settings_;
  std::int16_t language_base_;
  bool share_unchanged_;
  QMenu* mnuOpciones;
  QAction* mnuOpInicioSi;
  QAction* mnuOpInicioNo;
  QAction* mnuCompartir;  // share unchanged files between copies
};

}  // namespace orvessa
