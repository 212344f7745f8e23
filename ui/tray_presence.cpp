#include "ui/tray_presence.hpp"

#include <QTimer>

namespace orvessa {

TrayPresence::TrayPresence(QWidget& window, std::function<bool()> unloaded)
    : QObject(&window), window_(window), unloaded_(std::move(unloaded)) {}

void TrayPresence::GoResident() {
  if (TrayReady()) {
    HideToTray();
    return;
  }
  // No tray to come back from: the window stays in the task bar.
  in_tray_ = false;
  ShowMinimizedInTaskBar();
}

void TrayPresence::ShowMinimizedInTaskBar() {
  // The native window first: Qt passes the minimised state on only to a window that exists.
  (void)window_.winId();
  window_.showMinimized();
}

void TrayPresence::HideToTray() {
  stay_visible_ = false;
  in_tray_ = true;
  window_.hide();
}

void TrayPresence::Minimised() {
  if (in_tray_) return;
  stay_visible_ = false;
  // Hidden once the state change is over; a window minimised with no tray stays in the
  // task bar, the only place it can be restored from.
  QTimer::singleShot(0, this, [this] {
    if (window_.isMinimized() && window_.isVisible() && !unloaded_() && TrayReady()) {
      HideToTray();
    }
  });
}

void TrayPresence::TrayChanged(bool available) {
  if (unloaded_()) return;
  if (available && window_.isVisible() && window_.isMinimized()) {
    HideToTray();
  } else if (!available && in_tray_) {
    in_tray_ = false;
    ShowMinimizedInTaskBar();
  }
}

void TrayPresence::BringUp() {
  in_tray_ = false;
  window_.setWindowState(window_.windowState() & ~Qt::WindowMinimized);
  window_.show();
  window_.raise();
  window_.activateWindow();
}

}  // namespace orvessa
