#pragma once

#include <chrono>

namespace orvessa {

// The event loop a long operation yields to, so the window stays responsive.
class EventPump {
 public:
  virtual ~EventPump() = default;
  // Delivers pending events; when none are pending, sleeps until one arrives or
  // max_wait has passed. Never spins.
  virtual void ProcessEvents(std::chrono::milliseconds max_wait) = 0;
  // A clock that only moves forward, for waits that must survive midnight.
  virtual std::chrono::steady_clock::time_point MonotonicNow() const = 0;
};

}  // namespace orvessa
