#pragma once

#include <string>

namespace orvessa {

// What the session offers for learning that it is about to end.
class SessionProbe {
 public:
  virtual ~SessionProbe() = default;
  // The program is registered with an X session manager (XSMP).
  virtual bool XsmpConnected() const = 0;
  // The name has an owner on the user's session bus.
  virtual bool SessionBusHasOwner(const std::string& name) const = 0;
  // The name has an owner on the system bus.
  virtual bool SystemBusHasOwner(const std::string& name) const = 0;
};

// Names of the ways a shut-down is announced, as stored in the settings.
inline constexpr const char* kChannelXsmp = "xsmp";
inline constexpr const char* kChannelGnomeSession = "gnome-session";
inline constexpr const char* kChannelLogind = "logind";
inline constexpr const char* kChannelNone = "none";

// The first channel the session offers, the most direct one first.
inline std::string DetectShutdownChannel(const SessionProbe& probe) {
  if (probe.XsmpConnected()) return kChannelXsmp;
  if (probe.SessionBusHasOwner("org.gnome.SessionManager")) return kChannelGnomeSession;
  if (probe.SystemBusHasOwner("org.freedesktop.login1")) return kChannelLogind;
  return kChannelNone;
}

}  // namespace orvessa
