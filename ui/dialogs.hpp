#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

#include "core/run_view.hpp"

class QWidget;

namespace orvessa {

// Every message box, file dialog and folder picker of the program goes through here, so
// that tests can answer them in advance. Once a test has called one of the set* hooks or
// TestMode(true), nothing modal is shown any more: answers come from the queues
// (OK, or Cancel for a dialog without a queued answer) and every question is recorded.
class Dialogs {
 public:
  enum class Buttons { Ok, OkCancel };

  struct Shown {
    QString text;
    MessageIcon icon;
    QString title;
    bool modal = true;
  };

  // An empty title is the program's name.
  static QMessageBox::StandardButton Message(QWidget* owner, const QString& text, MessageIcon icon,
                                             Buttons buttons = Buttons::Ok,
                                             const QString& title = {});
  // A question answered by one of the buttons, the first being the default: the index of
  // the one pressed, -1 for the cancel button (also Escape).
  static int Choose(QWidget* owner, const QString& text, MessageIcon icon,
                    const QStringList& buttons, const QString& cancel);
  // An OK box that waits for nobody: shown, and gone when closed.
  static void Show(QWidget* owner, const QString& text, MessageIcon icon);
  // filter in Qt's syntax; an empty result means Cancel.
  static QString OpenFileName(QWidget* owner, const QString& start_folder, const QString& filter);
  static QString SaveFileName(QWidget* owner, const QString& start_folder, const QString& filter);
  // A full folder path, or empty on Cancel.
  static QString BrowseForFolder(QWidget* owner, const QString& title);

  // Test hooks.
  static void TestMode(bool on);
  static void setNextAnswer(QMessageBox::StandardButton answer);
  static void setNextChoice(int index);              // the button Choose answers with; default 0
  static void setNextFileName(const QString& path);  // also answers the folder picker
  static const std::vector<Shown>& ShownMessages();
  static void ClearShown();
  // The filters and start folders the file dialogs were opened with, newest last.
  static const QStringList& AskedFilters();
  static const QStringList& AskedFolders();
};

// "Name (*.a)|*.a|All (*.*)|*.*" as Qt's "Name (*.a);;All (*)": the description keeps
// its words, its bracketed part shows the pattern that Qt matches ("*.*" lists every file).
QString ToQtFilter(const QString& filter);

}  // namespace orvessa
