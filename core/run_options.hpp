#pragma once

#include "platform/settings_store.hpp"

namespace orvessa {

// Whether runs share unchanged files with the prior copy: a per-user setting the window
// and orvessa-run both read; on unless turned off.
bool StoredShareUnchanged(const SettingsStore& settings);
void StoreShareUnchanged(SettingsStore& settings, bool share);

}  // namespace orvessa
