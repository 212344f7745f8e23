#pragma once

#include "platform/event_pump.hpp"

namespace orvessa {

// Yields to the Qt event loop of the calling thread; with no QCoreApplication there is
// nothing to deliver, so the wait is a plain sleep.
class QtEventPump : public EventPump {
 public:
  void ProcessEvents(std::chrono::milliseconds max_wait) override;
  std::chrono::steady_clock::time_point MonotonicNow() const override;
};

}  // namespace orvessa
