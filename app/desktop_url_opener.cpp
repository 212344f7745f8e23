#include "app/desktop_url_opener.hpp"

#include <QDesktopServices>

namespace orvessa {

QUrl ToQUrl(const std::string& url) {
  return QUrl(QString::fromStdString(url), QUrl::TolerantMode);
}

void DesktopUrlOpener::OpenUrl(const std::string& url) {
  // A missing browser or mail program is the desktop's to report.
  (void)QDesktopServices::openUrl(ToQUrl(url));
}

}  // namespace orvessa
