#pragma once

#include <QUrl>
#include <string>

#include "platform/url_opener.hpp"

namespace orvessa {

// The address as Qt hands it on. Blanks and letters outside ASCII in a mailto: query are
// percent-encoded on the way out (as mail programs expect); decoded, it is the same text.
QUrl ToQUrl(const std::string& url);

// Opens addresses with the desktop's own programs (QDesktopServices, through xdg-open).
class DesktopUrlOpener : public UrlOpener {
 public:
  void OpenUrl(const std::string& url) override;
};

}  // namespace orvessa
