#pragma once

#include <memory>
#include <string>

namespace orvessa {

// What a lock holds back, as logind names it ("sleep:idle", "shutdown"), and how:
// "block" refuses the action, "delay" holds it a few seconds.
struct InhibitRequest {
  std::string what;
  std::string who;
  std::string why;
  std::string mode;
};

// Held while it lives; destroying it lets the host go ahead.
class InhibitLock {
 public:
  virtual ~InhibitLock() = default;
};

// Keeps the host from sleeping or shutting down while the program needs it running.
class Inhibitor {
 public:
  virtual ~Inhibitor() = default;
  // Null when the host has no such service or refuses; the program carries on without.
  virtual std::unique_ptr<InhibitLock> Inhibit(const InhibitRequest& request) = 0;
};

}  // namespace orvessa
