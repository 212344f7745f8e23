#pragma once

namespace orvessa {

// Calendar date and wall-clock time in the user's local time zone.
struct LocalDate {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
  friend bool operator==(const LocalDate&, const LocalDate&) = default;
};

struct LocalTime {
  int hour = 0;    // 0..23
  int minute = 0;  // 0..59
  int second = 0;  // 0..59
  friend bool operator==(const LocalTime&, const LocalTime&) = default;
};

struct LocalDateTime {
  LocalDate date;
  LocalTime time;
  friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

}  // namespace orvessa
