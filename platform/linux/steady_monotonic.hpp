#pragma once

#include "platform/monotonic.hpp"

namespace orvessa {

// The host's steady clock; waits sleep on a condition that a stop request wakes.
class SteadyMonotonic : public Monotonic {
 public:
  std::chrono::steady_clock::time_point Now() const override;
  bool Wait(std::chrono::milliseconds duration, std::stop_token stop) override;
};

}  // namespace orvessa
