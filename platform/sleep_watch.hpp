#pragma once

#include <functional>

namespace orvessa {

// Tells when the machine has woken from sleep, so that what fell due meanwhile is seen
// at once rather than at the next poll.
class SleepWatch {
 public:
  virtual ~SleepWatch() = default;
  // `resumed` runs on the program's thread each time the machine has woken up.
  virtual void WhenResumed(std::function<void()> resumed) = 0;
};

}  // namespace orvessa
