#pragma once

#include <chrono>
#include <string>

#include "core/copy_engine.hpp"
#include "platform/autostart.hpp"
#include "platform/clock.hpp"
#include "platform/file_system.hpp"
#include "platform/inhibitor.hpp"
#include "platform/locale.hpp"
#include "platform/monotonic.hpp"
#include "platform/notifier.hpp"
#include "platform/power.hpp"
#include "platform/settings_store.hpp"
#include "platform/sleep_watch.hpp"
#include "platform/url_opener.hpp"

namespace orvessa {

// What the main window is given: the host's services and the folders it works in.
struct Form2Services {
  FileSystem& fs;
  CopyEngine& copier;  // the run's copies and their comparison
  const Clock& clock;
  const Locale& locale;
  Monotonic& time;
  PowerService& power;
  SettingsStore& settings;
  Autostart& autostart;
  Inhibitor& inhibitor;
  UrlOpener& opener;   // help pages, the web page and the e-mail link
  Notifier& notifier;  // the end of an automatic run
  SleepWatch& sleep;   // a wake-up has the schedule looked at soon
  // After the start or a wake-up: long enough for the session (and a destination disk) to
  // settle, short enough that a missed run starts well within the minute.
  std::chrono::milliseconds settle_pause = std::chrono::seconds(5);
  // How long the outcome of an automatic run stays on the screen before what follows.
  std::chrono::milliseconds after_run_pause = std::chrono::seconds(11);
};

struct Form2Folders {
  std::string program_folder;  // writable: job file copy, last-copy record, dialogs' start
  std::string data_folder;     // read-only: help pages, copy animation
  std::string start_folder;    // where the source browser opens
  std::string state_folder;    // which disk each destination lies on; empty: not kept
};

}  // namespace orvessa
