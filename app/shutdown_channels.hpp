#pragma once

#include "platform/inhibitor.hpp"
#include "platform/linux/gnome_session_client.hpp"
#include "platform/linux/logind_shutdown_watch.hpp"
#include "ui/xsmp_watch.hpp"

namespace orvessa {

class Form2;

// The ways the session's end reaches the window while the copy at shutdown is armed:
// the X session manager where the program is registered with one, else a session manager
// on D-Bus, and logind's shutdown lock wherever logind runs.
class ShutdownChannels {
 public:
  ShutdownChannels(Form2& window, Inhibitor& inhibitor);

 private:
  void SetArmed(bool armed);

  Form2& window_;
  XsmpWatch xsmp_;
  GnomeSessionClient gnome_;
  LogindShutdownWatch logind_;
};

}  // namespace orvessa
