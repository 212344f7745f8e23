#pragma once

#include "platform/clock.hpp"

namespace orvessa {

// The host's wall clock in the local time zone.
class SystemClock : public Clock {
 public:
  LocalDateTime Now() const override;
};

}  // namespace orvessa
