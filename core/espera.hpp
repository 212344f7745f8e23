#pragma once

#include <cstdint>
#include <functional>

#include "platform/event_pump.hpp"

namespace orvessa {

// Waits the given seconds while the event loop keeps running. Measured on a clock that
// only moves forward, so a wait across midnight or a clock change lasts as asked.
// `over`, when given, ends the wait early once it holds (the program is ending).
void Espera(EventPump& pump, std::int16_t seconds, const std::function<bool()>& over = {});

}  // namespace orvessa
