#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QObject>
#include <QStatusBar>
#include <array>

#include "ui/tab_host.hpp"

namespace orvessa {

// The status bar: the last copy's caption, then the job file, the destination, the last
// copy's time and the outcome of the last run.
class StatusPanels : public QObject {
 public:
  enum class Outcome { None, Successful, Error, Stopped };

  StatusPanels(QMainWindow& window, const TabHost& host);  // a part of the window

  void Show(int panel, const QString& text) {
    Panel[static_cast<std::size_t>(panel)]->setText(text);
  }
  // Panel 5: the outcome of the last run, or of a loaded job.
  void ShowOutcome(Outcome outcome);
  void ApplyTexts();

 private:
  const TabHost& host_;
  QStatusBar* StatusBar1;
  std::array<QLabel*, 5> Panel;
  Outcome outcome_ = Outcome::None;
};

}  // namespace orvessa
