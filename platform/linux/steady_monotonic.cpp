#include "platform/linux/steady_monotonic.hpp"

#include <condition_variable>
#include <mutex>

namespace orvessa {

std::chrono::steady_clock::time_point SteadyMonotonic::Now() const {
  return std::chrono::steady_clock::now();
}

bool SteadyMonotonic::Wait(std::chrono::milliseconds duration, std::stop_token stop) {
  std::mutex mutex;
  std::condition_variable_any woken;
  std::unique_lock lock(mutex);
  woken.wait_for(lock, stop, duration, [] { return false; });
  return !stop.stop_requested();
}

}  // namespace orvessa
