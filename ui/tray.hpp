#pragma once

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

namespace orvessa {

// The program's icon in the notification area. Its tip is the one given when it was
// added; adding it again while it is there changes nothing.
class TrayIcon : public QObject {
  Q_OBJECT
 public:
  TrayIcon(const QIcon& icon, QMenu* menu, QObject* parent = nullptr);

  void Add(const QString& tip);
  void Remove();
  bool Added() const { return icon_.isVisible(); }
  QString Tip() const { return icon_.toolTip(); }

  // A balloon beside the icon, for a desktop without a notification service.
  void ShowMessage(const QString& title, const QString& body);

  // A tray that shows the icon exists now.
  static bool Available();

 signals:
  // A click or a double click on the icon.
  void RestoreRequested();
  void MessageClicked();

 private:
  QSystemTrayIcon icon_;
};

}  // namespace orvessa
