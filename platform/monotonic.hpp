#pragma once

#include <chrono>
#include <stop_token>

namespace orvessa {

// Time that only moves forward, for how long things take and for waits a stop request
// cuts short; a wait across midnight or a change of the wall clock lasts as asked.
class Monotonic {
 public:
  virtual ~Monotonic() = default;
  virtual std::chrono::steady_clock::time_point Now() const = 0;
  // Waits `duration`, or until stop is requested: false then.
  virtual bool Wait(std::chrono::milliseconds duration, std::stop_token stop) = 0;
};

}  // namespace orvessa
