#include "core/power_off.hpp"

#include <algorithm>
#include <cmath>

namespace orvessa {

float ReadWindowsVersion(const PowerService& power) {
  auto version = power.ReadHostVersion();
  if (!version || version->major < 0 || version->minor < 0) return 0;
  // Two decimals as the figure has always been kept: minor 100 and above would not fit.
  const double value = version->major + std::min(version->minor, 99) / 100.0;
  return static_cast<float>(std::round(value * 100.0) / 100.0);
}

void PowerOffSystem(PowerService& power, float windows_version) {
  if (windows_version >= kPowerOffVersion) {
    power.ExitSystem(kExitPowerOff | kExitForce);
  } else {
    power.ExitSystem(kExitShutdown | kExitForce);
  }
}

}  // namespace orvessa
