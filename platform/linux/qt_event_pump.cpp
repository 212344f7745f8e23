#include "platform/linux/qt_event_pump.hpp"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <thread>

namespace orvessa {

void QtEventPump::ProcessEvents(std::chrono::milliseconds max_wait) {
  max_wait = std::max(max_wait, std::chrono::milliseconds::zero());
  if (QCoreApplication::instance() == nullptr) {
    std::this_thread::sleep_for(max_wait);
    return;
  }
  if (max_wait == std::chrono::milliseconds::zero()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return;
  }
  // The timer's own event ends the wait at max_wait; any other event ends it sooner.
  // Leaving the scope stops the timer when that happens.
  QTimer deadline;
  deadline.setSingleShot(true);
  deadline.setTimerType(Qt::PreciseTimer);
  deadline.start(max_wait);
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  // A wake-up from another thread can end the wait before its event has been delivered.
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

std::chrono::steady_clock::time_point QtEventPump::MonotonicNow() const {
  return std::chrono::steady_clock::now();
}

}  // namespace orvessa
