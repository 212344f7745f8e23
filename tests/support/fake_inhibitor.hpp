#pragma once

#include <memory>
#include <vector>

#include "platform/inhibitor.hpp"

namespace orvessa::testing {

// Hands out locks and keeps every request; `held` counts the locks still alive.
class FakeInhibitor : public Inhibitor {
 public:
  std::unique_ptr<InhibitLock> Inhibit(const InhibitRequest& request) override {
    requests.push_back(request);
    if (refuse) return nullptr;
    return std::make_unique<Lock>(held);
  }

  std::vector<InhibitRequest> requests;
  int held = 0;
  bool refuse = false;

 private:
  class Lock : public InhibitLock {
   public:
    explicit Lock(int& held) : held_(held) { ++held_; }
    ~Lock() override { --held_; }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

   private:
    int& held_;
  };
};

}  // namespace orvessa::testing
