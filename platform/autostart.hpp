#pragma once

#include <string>

namespace orvessa {

// Whether the program starts by itself when the user logs in. The presence of one named
// entry is the whole state; there is no setting of its own.
class Autostart {
 public:
  virtual ~Autostart() = default;
  virtual bool IsEnabled() const = 0;
  // Each returns empty text on success, else the system's reason in words.
  virtual std::string Enable() = 0;
  virtual std::string Disable() = 0;
};

}  // namespace orvessa
