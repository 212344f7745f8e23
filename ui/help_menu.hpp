#pragma once

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QObject>
#include <QPointer>
#include <cstdint>
#include <string>

#include "platform/url_opener.hpp"
#include "ui/form4.hpp"

namespace orvessa {

class Mnemonics;

// The Help menu: the help page of the current language, the web page, the e-mail to
// support and the About box.
class HelpMenu : public QObject {
  Q_OBJECT
 public:
  HelpMenu(QMenuBar& bar, QWidget& window, UrlOpener& opener);

  // The language the texts, the page and the e-mail are in; the page's full path.
  void SetLanguage(std::int16_t language_base, std::string help_file);
  void ApplyTexts(Mnemonics& letters);
  const std::string& HelpFile() const { return help_file_; }
  Form4* AboutBox() const { return about_box_; }

  void mnuAyudaContenido_Click();
  void mnuWeb_Click();
  void mnuEmail_Click();
  void mnuAyudaAcercade_Click();

 signals:
  // The About box became the program's active window.
  void AboutActivated();

 private:
  QWidget& window_;
  UrlOpener& opener_;
  std::int16_t language_base_;
  std::string help_file_;
  QPointer<Form4> about_box_;
  QMenu* mnuAyuda;
  QAction* mnuAyudaContenido;  // also F1
  QMenu* mnuContacto;
  QAction* mnuWeb;
  QAction* mnuEmail;
  QAction* mnuAyudaAcercade;
};

}  // namespace orvessa
