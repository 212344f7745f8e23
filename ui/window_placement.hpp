#pragma once

#include <QObject>
#include <QSize>
#include <QWidget>

#include "platform/settings_store.hpp"

namespace orvessa {

// The main window's size and place: as the user left them, always inside the screen.
class WindowPlacement : public QObject {
  Q_OBJECT
 public:
  WindowPlacement(QWidget& window, SettingsStore& settings);

  // Size and place as last time, kept inside the screen's available area.
  void Restore();
  // Kept for next time, once the window has come up.
  void Save();
  // The window is shown: the first time, it is fitted once it has its frame.
  void Shown();
  // Once the window manager has put its frame around the shown window.
  void FitWhenFramed();

 private:
  void FitToScreen();

  QWidget& window_;
  SettingsStore& settings_;
  bool fitted_ = false;
  QSize wanted_size_;  // as stored or first given, before fitting it to a screen
};

}  // namespace orvessa
