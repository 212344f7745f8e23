#pragma once

#include <functional>
#include <string>

namespace orvessa {

// A notice on the desktop, for what happened while the user was not looking. Texts UTF-8.
struct Notice {
  std::string summary;
  std::string body;
  std::string action;             // what clicking it does, in words
  std::function<void()> clicked;  // runs when the user clicks the notice
  // A further button on the notice, where the desktop shows buttons; none when empty.
  std::string other_action;
  std::function<void()> other_clicked;
};

class Notifier {
 public:
  virtual ~Notifier() = default;
  // Shows the notice and returns without waiting for the desktop.
  virtual void Notify(Notice notice) = 0;
};

}  // namespace orvessa
