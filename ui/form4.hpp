#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "platform/url_opener.hpp"

namespace orvessa {

// A system information program and the arguments that open it at its overview.
struct SysInfoTool {
  QString program;
  QStringList arguments;
};

// The desktops' own system information programs, in the order they are tried:
// HardInfo (any desktop), KDE's Info Center, GNOME Settings at its About page, and GNOME
// System Monitor (its system and resources pages) as the last resort.
std::vector<SysInfoTool> DefaultSysInfoTools();

// The About box: title, version, maker, legal notice, the web address and the system
// information button. Not modal; its texts are taken when it opens.
class Form4 : public QDialog {
  Q_OBJECT
 public:
  Form4(QWidget* parent, std::int16_t language_base, UrlOpener* opener,
        std::vector<SysInfoTool> tools = DefaultSysInfoTools());

  void Form_Load();
  // Starts the first system information program found on PATH; none: message 113.
  void StartSysInfo();

 signals:
  // The box became the active window: the main window is to stay visible when it is
  // next activated.
  void Activated();

 protected:
  void changeEvent(QEvent* event) override;

 private:
  QString Text(int number) const;

  std::int16_t language_base_;
  UrlOpener* opener_;  // none: the web address is only shown
  std::vector<SysInfoTool> tools_;
  QLabel* Image1;
  QLabel* lblTitle;
  QLabel* lblVersion;
  QLabel* Label1;
  QLabel* lblDescription;
  QLabel* lblDisclaimer;
  QLabel* lblPaginaweb2;
  QPushButton* cmdSysInfo;
  QPushButton* cmdOK;
};

}  // namespace orvessa
