#pragma once

#include <QObject>
#include <QWidget>
#include <functional>

namespace orvessa {

// Where the main window is when it is not in use: in the tray, or minimised in the task
// bar when there is no tray, and how it comes back from there.
class TrayPresence : public QObject {
  Q_OBJECT
 public:
  // `unloaded`: whether the window has been unloaded, after which it stays where it is.
  TrayPresence(QWidget& window, std::function<bool()> unloaded);

  // Whether a tray shows the icon now; asked before the window is hidden.
  void SetTrayQuery(std::function<bool()> tray_available) {
    tray_available_ = std::move(tray_available);
  }
  bool InTray() const { return in_tray_; }
  // Coming back to the active window leaves it visible rather than sending it away.
  void StayVisible(bool stay) { stay_visible_ = stay; }
  bool StaysVisible() const { return stay_visible_; }

  // Out of the way: into the tray, or minimised in the task bar when there is none.
  void GoResident();
  // A tray appeared or went away: the hidden window comes back to the task bar when it
  // would otherwise be out of reach, and a minimised one goes to the new tray.
  void TrayChanged(bool available);
  // The user minimised the window: it goes to the tray when there is one.
  void Minimised();
  // On the screen, in front, whatever state it was in.
  void BringUp();

 private:
  bool TrayReady() const { return tray_available_ && tray_available_(); }
  void HideToTray();
  void ShowMinimizedInTaskBar();

  QWidget& window_;
  std::function<bool()> unloaded_;
  std::function<bool()> tray_available_;
  bool in_tray_ = false;  // hidden, reachable through the tray icon
  bool stay_visible_ = false;
};

}  // namespace orvessa
