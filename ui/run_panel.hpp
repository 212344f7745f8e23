#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMovie>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <cstdint>
#include <memory>
#include <string>

#include "core/run_view.hpp"
#include "ui/tab_host.hpp"

namespace orvessa {

class Mnemonics;

// The copy tab's frame that shows a run: what it does, its progress, the copy animation,
// and the Run now and Stop buttons. Escape stops a run wherever the focus is.
class RunPanel : public QGroupBox {
  Q_OBJECT
 public:
  RunPanel(TabHost& host, QWidget& window);

  void ApplyTexts();  // captions and names for screen readers
  void MarkButtons(Mnemonics& letters);
  QLabel* LabelOf(Control label) const;  // its value label, or null
  QPushButton* CopyButton() const { return cmdCopiar; }
  QPushButton* StopButton() const { return cmdDetener; }
  QCheckBox* PowerOffBox() const { return chkShutDown; }

  // During a run only Stop (and Escape) works, and has the focus.
  void ShowLocked(bool locked);
  void FocusStopWhileRunning();
  void DisableStop() { cmdDetener->setEnabled(false); }

  void ShowStart(const std::string& animation);
  void ShowCopying(int entries);
  void ShowEntry(int index, const QString& text);
  void ShowLine(const QString& text) { Label8->setText(text); }
  QString Line() const { return Label8->text(); }
  void ShowBytesCopied(std::uint64_t bytes, double selected_bytes);
  void ShowAllCopied();
  // However a run ended, nothing still looks busy.
  void ShowEnd();

 signals:
  void CopyClicked();
  void StopClicked();

 private:
  void SetProgressValue(double value);
  void CloseAnimation();

  TabHost& host_;
  QLabel* Label6;
  QLabel* Label8;
  QProgressBar* ProgressBar1;
  QLabel* Animation1;
  QPushButton* cmdCopiar;
  QPushButton* cmdDetener;
  QShortcut* EscStop;
  QCheckBox* chkShutDown;
  double progress_value_ = 0;
  std::unique_ptr<QMovie> movie_;
};

}  // namespace orvessa
