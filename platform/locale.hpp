#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/date_time.hpp"

namespace orvessa {

// The user's formats for times, dates and numbers. All texts are UTF-8.
// A date or time written by Format* must parse back with Parse* to the same value.
class Locale {
 public:
  virtual ~Locale() = default;
  virtual std::string FormatTime(const LocalTime& time) const = 0;
  virtual std::string FormatShortDate(const LocalDate& date) const = 0;
  virtual std::optional<LocalTime> ParseTime(const std::string& text) const = 0;
  virtual std::optional<LocalDate> ParseShortDate(const std::string& text) const = 0;
  // A whole number with the locale's digit grouping ("1,234,567" in English).
  virtual std::string FormatWholeNumber(std::int64_t value) const = 0;
};

}  // namespace orvessa
