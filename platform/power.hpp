#pragma once

#include <optional>

namespace orvessa {

// Version number of the running host: major and minor.
struct HostVersion {
  int major = 0;
  int minor = 0;
};

// Flags of the shut-down call, kept as the program has always passed them.
inline constexpr unsigned kExitPowerOff = 8;
inline constexpr unsigned kExitShutdown = 1;
inline constexpr unsigned kExitForce = 4;

// Powering the machine off. Nothing here reports failure: a refused power-off simply
// leaves the machine running.
class PowerService {
 public:
  virtual ~PowerService() = default;
  virtual std::optional<HostVersion> ReadHostVersion() const = 0;
  // Asks for the right to power off before the window goes away.
  virtual void EnableShutdownPrivilege() = 0;
  // Starts the shut-down or power-off the flags name and returns without waiting.
  virtual void ExitSystem(unsigned flags) = 0;
};

}  // namespace orvessa
