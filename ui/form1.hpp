#pragma once

#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdint>

namespace orvessa {

// The splash window shown while the program starts: the program's picture and how to
// reach it once it has gone to the tray.
class Form1 : public QWidget {
  Q_OBJECT
 public:
  Form1(const QString& picture_path, std::int16_t language_base);

  void Form_Load();
  // Centres the window, shows it and reports MinimumShown once it has been up that long.
  void ShowFor(std::chrono::milliseconds minimum);

 signals:
  void MinimumShown();

 private:
  std::int16_t language_base_;
  QLabel* Picture1;
  QLabel* Label1;
  QTimer* shown_for_;
};

}  // namespace orvessa
