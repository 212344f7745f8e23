#include "ui/tray_wait.hpp"

namespace orvessa {

TrayWait::TrayWait(std::function<bool()> host_present, QObject* parent)
    : QObject(parent), host_present_(std::move(host_present)) {
  poll_.setInterval(200);
  connect(&poll_, &QTimer::timeout, this, &TrayWait::Check);
}

void TrayWait::Start(std::chrono::milliseconds limit) {
  done_ = false;
  until_ = std::chrono::steady_clock::now() + limit;
  poll_.start();
  Check();
}

void TrayWait::Check() {
  if (done_) return;
  const bool found = host_present_();
  if (!found && std::chrono::steady_clock::now() < until_) return;
  done_ = true;
  poll_.stop();
  emit Finished(found);
}

}  // namespace orvessa
