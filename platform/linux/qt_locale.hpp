#pragma once

#include <QLocale>
#include <QString>

#include "platform/locale.hpp"

namespace orvessa {

// Locale on Qt's locale data; the program uses the system locale.
//
// Dates use the locale's short format with the year widened to four digits: Qt reads a
// two-digit year back as 19xx, and the scheduler parses the dates this writes.
// Times use the locale's long format without the time zone.
class QtLocale : public Locale {
 public:
  explicit QtLocale(QLocale locale = QLocale::system());

  std::string FormatTime(const LocalTime& time) const override;
  std::string FormatShortDate(const LocalDate& date) const override;
  std::optional<LocalTime> ParseTime(const std::string& text) const override;
  std::optional<LocalDate> ParseShortDate(const std::string& text) const override;
  std::string FormatWholeNumber(std::int64_t value) const override;

  const QString& DateFormat() const { return date_format_; }
  const QString& TimeFormat() const { return time_format_; }

 private:
  QLocale locale_;
  QString date_format_;
  QString time_format_;
};

// "yy" becomes "yyyy"; a format already holding four-digit years is kept.
QString WidenYearToFourDigits(const QString& format);
// Drops time-zone fields ("t", "tt", ...) and the blanks left around them.
QString WithoutTimeZone(const QString& format);

}  // namespace orvessa
