#pragma once

#include "platform/date_time.hpp"

namespace orvessa {

// The wall clock, so that anything stamped with "now" can be tested.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalDateTime Now() const = 0;
};

}  // namespace orvessa
