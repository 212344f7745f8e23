#include "platform/linux/qt_locale.hpp"

#include <QDate>
#include <QTime>

namespace orvessa {
namespace {

// Calls f(start, length) for each run of the unquoted format letter `letter`.
template <typename F>
void ForEachRun(const QString& format, QChar letter, F f) {
  bool quoted = false;
  for (qsizetype i = 0; i < format.size();) {
    if (format[i] == u'\'') {
      quoted = !quoted;
      ++i;
      continue;
    }
    if (!quoted && format[i] == letter) {
      qsizetype j = i;
      while (j < format.size() && format[j] == letter) ++j;
      f(i, j - i);
      i = j;
    } else {
      ++i;
    }
  }
}

std::string ToUtf8(const QString& text) { return text.toUtf8().toStdString(); }

}  // namespace

QString WidenYearToFourDigits(const QString& format) {
  QString out = format;
  qsizetype shift = 0;
  ForEachRun(format, u'y', [&](qsizetype start, qsizetype length) {
    if (length == 2) {
      out.insert(start + shift, QStringLiteral("yy"));
      shift += 2;
    }
  });
  return out;
}

QString WithoutTimeZone(const QString& format) {
  QString out = format;
  qsizetype shift = 0;
  ForEachRun(format, u't', [&](qsizetype start, qsizetype length) {
    out.remove(start - shift, length);
    shift += length;
  });
  // Some locales enclose the zone in brackets ("H:mm:ss (t)").
  out.remove(QStringLiteral("()"));
  return out.trimmed();
}

QtLocale::QtLocale(QLocale locale)
    : locale_(std::move(locale)),
      date_format_(WidenYearToFourDigits(locale_.dateFormat(QLocale::ShortFormat))),
      time_format_(WithoutTimeZone(locale_.timeFormat(QLocale::LongFormat))) {}

std::string QtLocale::FormatTime(const LocalTime& time) const {
  return ToUtf8(locale_.toString(QTime(time.hour, time.minute, time.second), time_format_));
}

std::string QtLocale::FormatShortDate(const LocalDate& date) const {
  return ToUtf8(locale_.toString(QDate(date.year, date.month, date.day), date_format_));
}

std::optional<LocalTime> QtLocale::ParseTime(const std::string& text) const {
  QTime t = locale_.toTime(QString::fromUtf8(text), time_format_);
  if (!t.isValid()) return std::nullopt;
  return LocalTime{t.hour(), t.minute(), t.second()};
}

std::optional<LocalDate> QtLocale::ParseShortDate(const std::string& text) const {
  QDate d = locale_.toDate(QString::fromUtf8(text), date_format_);
  if (!d.isValid()) return std::nullopt;
  return LocalDate{d.year(), d.month(), d.day()};
}

// Grouped by hand: Qt 6.4 groups only the last three digits of numbers in locales
// whose minimum grouping is two digits (Spanish shows 1234567 as "1234.567").
std::string QtLocale::FormatWholeNumber(std::int64_t value) const {
  QString digits = QString::number(value).remove(u'-');
  const QString separator = locale_.groupSeparator();
  const bool groups_four_digits = locale_.toString(1234).contains(separator);
  const bool group = !(locale_.numberOptions() & QLocale::OmitGroupSeparator) &&
                     (digits.size() > 4 || (digits.size() == 4 && groups_four_digits));
  if (group) {
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3) digits.insert(at, separator);
  }
  return ToUtf8(value < 0 ? locale_.negativeSign() + digits : digits);
}

}  // namespace orvessa
