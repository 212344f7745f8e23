#pragma once

#include <QToolButton>
#include <QWidget>

namespace orvessa {

// A pair of small arrow buttons beside a number box; each click is one step.
class UpDown : public QWidget {
  Q_OBJECT
 public:
  explicit UpDown(QWidget* parent = nullptr);
  QToolButton* UpButton() const { return up_; }
  QToolButton* DownButton() const { return down_; }

 signals:
  void UpClicked();
  void DownClicked();

 private:
  QToolButton* up_;
  QToolButton* down_;
};

}  // namespace orvessa
