#pragma once

#include <cstdint>

#include "platform/event_pump.hpp"

namespace orvessa {

// Waits the given seconds while the event loop keeps running. Measured on a clock that
// only moves forward, so a wait across midnight or a clock change lasts as asked.
void Espera(EventPump& pump, std::int16_t seconds);

}  // namespace orvessa
