#include "platform/linux/system_clock.hpp"

#include <ctime>

namespace orvessa {

LocalDateTime SystemClock::Now() const {
  std::time_t now = std::time(nullptr);
  std::tm parts{};
  localtime_r(&now, &parts);
  LocalDateTime result;
  result.date = {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday};
  // A leap second shows as :59 so that every consumer sees a valid time of day.
  result.time = {parts.tm_hour, parts.tm_min, parts.tm_sec > 59 ? 59 : parts.tm_sec};
  return result;
}

}  // namespace orvessa
