#include "core/job_file_format.hpp"

#include <cmath>
#include <cstdio>
#include <limits>

namespace orvessa::job_file {

namespace {

// Built by appending: GCC 12 at -O3 warns falsely (-Wrestrict) on `"literal" + string`.
std::string SignPositioned(bool negative, const std::string& digits) {
  std::string line;
  line.reserve(digits.size() + 2);
  if (!negative) line += ' ';
  line += digits;
  line += ' ';
  return line;
}

}  // namespace

std::string FormatInteger(std::int64_t value) {
  return SignPositioned(value < 0, std::to_string(value));
}

std::string FormatWholeNumber(double value) {
  if (!std::isfinite(value)) value = 0;
  value = std::round(value);
  if (value == 0) value = 0;  // no "-0"
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%.0f", value);
  return SignPositioned(value < 0, buffer);
}

std::optional<std::int16_t> ParseInteger(std::string_view line) {
  auto is_blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!line.empty() && is_blank(line.front())) line.remove_prefix(1);
  while (!line.empty() && is_blank(line.back())) line.remove_suffix(1);
  bool negative = false;
  if (!line.empty() && (line.front() == '-' || line.front() == '+')) {
    negative = line.front() == '-';
    line.remove_prefix(1);
  }
  if (line.empty()) return std::nullopt;
  std::int32_t value = 0;
  for (char c : line) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > 32768) return std::nullopt;  // stops long digit runs from overflowing
  }
  if (negative) value = -value;
  if (value < std::numeric_limits<std::int16_t>::min() ||
      value > std::numeric_limits<std::int16_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int16_t>(value);
}

}  // namespace orvessa::job_file
