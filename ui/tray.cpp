#include "ui/tray.hpp"

namespace orvessa {

TrayIcon::TrayIcon(const QIcon& icon, QMenu* menu, QObject* parent) : QObject(parent), icon_(icon) {
  icon_.setObjectName(QStringLiteral("TrayIcon"));
  icon_.setContextMenu(menu);
  // Trays speaking the status notifier protocol send a click only, never a double click.
  connect(&icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
    if (why == QSystemTrayIcon::Trigger || why == QSystemTrayIcon::DoubleClick) {
      emit RestoreRequested();
    }
  });
  connect(&icon_, &QSystemTrayIcon::messageClicked, this, &TrayIcon::MessageClicked);
}

void TrayIcon::ShowMessage(const QString& title, const QString& body) {
  if (icon_.isVisible()) icon_.showMessage(title, body, icon_.icon());
}

void TrayIcon::Add(const QString& tip) {
  if (icon_.isVisible()) return;
  icon_.setToolTip(tip);
  // Shown even without a tray: Qt docks it by itself when an XEmbed tray turns up later.
  icon_.show();
}

void TrayIcon::Remove() { icon_.hide(); }

bool TrayIcon::Available() { return QSystemTrayIcon::isSystemTrayAvailable(); }

}  // namespace orvessa
