#include "core/espera.hpp"

#include <algorithm>

namespace orvessa {

void Espera(EventPump& pump, std::int16_t seconds, const std::function<bool()>& over) {
  using namespace std::chrono;
  const auto deadline =
      pump.MonotonicNow() + std::chrono::seconds(std::max<std::int16_t>(seconds, 0));
  for (auto now = pump.MonotonicNow(); now < deadline; now = pump.MonotonicNow()) {
    if (over && over()) return;
    // Sleep in short slices so that a stop request or a tick is seen soon.
    auto left = duration_cast<milliseconds>(deadline - now) + milliseconds(1);
    pump.ProcessEvents(std::min(left, milliseconds(250)));
  }
}

}  // namespace orvessa
