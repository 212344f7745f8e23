#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>

namespace orvessa {

// Waits, with the event loop running, until a tray host is there or the time is up.
// At log-in the tray may come up after the program, and the first question Qt is asked
// about the tray decides for the rest of the run whether it uses a status notifier tray.
class TrayWait : public QObject {
  Q_OBJECT
 public:
  explicit TrayWait(std::function<bool()> host_present, QObject* parent = nullptr);

  void Start(std::chrono::milliseconds limit);
  bool Done() const { return done_; }

 signals:
  void Finished(bool found);

 private:
  void Check();

  std::function<bool()> host_present_;
  QTimer poll_;
  std::chrono::steady_clock::time_point until_;
  bool done_ = false;
};

}  // namespace orvessa
