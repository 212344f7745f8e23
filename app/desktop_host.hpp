#pragma once

#include <QByteArray>

class QWidget;

namespace orvessa {

// A tray host is running: a status notifier watcher with a registered host on the
// session bus, or (on X11) an owner of the system tray selection.
bool TrayHostPresent();

// The activation token a second start was given (XDG_ACTIVATION_TOKEN on Wayland,
// DESKTOP_STARTUP_ID on X11) lets the desktop bring the window to the front: the first
// call goes before the window is shown and activated, the second after it.
void BeforeActivation(const QByteArray& token);
void AfterActivation(QWidget& window, const QByteArray& token);

// The time stamp a startup id carries after "_TIME", or 0 (the current time) for none.
unsigned long StartupIdTime(const QByteArray& startup_id);

}  // namespace orvessa
