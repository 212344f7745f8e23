#pragma once

#include <cstdint>

#include "platform/session_probe.hpp"
#include "platform/settings_store.hpp"

class QWidget;

namespace orvessa {

// On the first start on this host: learns how the session announces a shut-down, stores
// the way's name under "ShutDown" and welcomes the user once. Later starts do nothing.
// True when it was the first start.
bool LearnShutdownChannel(QWidget* owner, SettingsStore& settings, const SessionProbe& probe,
                          std::int16_t language_base);

}  // namespace orvessa
