#pragma once

#include <string>

namespace orvessa {

// Hands an address (a web page, a mailto: link, a file: URL) to the desktop's browser or
// mail program. Nothing waits for it and its result is not used.
class UrlOpener {
 public:
  virtual ~UrlOpener() = default;
  virtual void OpenUrl(const std::string& url) = 0;
};

}  // namespace orvessa
