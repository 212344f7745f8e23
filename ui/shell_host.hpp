#pragma once

#include <functional>

#include "ui/tab_host.hpp"

namespace orvessa {

// What the window's controllers (the schedule's timer, the copy at shutdown) ask of it.
class ShellHost : public TabHost {
 public:
  virtual bool Unloaded() const = 0;
  // A run nobody may be watching: its messages do not wait to be read. `then` follows its
  // end, once the window shows how it ended.
  virtual void StartUnattendedRun(std::function<void()> then) = 0;
  // The last run ended normally and copied everything.
  virtual bool LastRunSucceeded() const = 0;
  // The end of an automatic run, announced outside the window.
  virtual void NoticeRunEnd() = 0;
  // File > Exit: the program ends, after any run has stopped.
  virtual void ExitProgram() = 0;
  // The copy at shutdown succeeded: the program ends and powers the computer off.
  virtual void PowerOffAndEnd() = 0;

 protected:
  ~ShellHost() = default;
};

}  // namespace orvessa
