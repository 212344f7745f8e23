#pragma once

#include <QEventLoop>
#include <QTimer>
#include <chrono>

namespace orvessa {

// Serves the thread's events for the whole of `duration`: asynchronous answers (a
// power-off request's, its fallback's) are delivered before the program ends.
inline void ServeEventsFor(std::chrono::milliseconds duration) {
  QEventLoop loop;
  QTimer::singleShot(duration, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace orvessa
