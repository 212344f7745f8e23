#pragma once

#include "platform/power.hpp"

namespace orvessa {

// The host's version as major + minor / 100, to two decimals (6.1 gives 6.01); 0 when
// it cannot be read.
float ReadWindowsVersion(const PowerService& power);

// Hosts from this version on ask for the shut-down right first and power off; older
// ones shut down.
inline constexpr float kPowerOffVersion = 5.0f;

// The shut-down call for the version: power-off + force from 5.0 on, else shut-down + force.
void PowerOffSystem(PowerService& power, float windows_version);

}  // namespace orvessa
