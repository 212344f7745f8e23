#include "core/box_number.hpp"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace orvessa {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The characters that form the number, blanks dropped: sign, digits, a fraction and an
// exponent that has digits.
std::string LeadingNumber(std::string_view text) {
  std::string compact;
  for (char c : text) {
    if (!IsBlank(c)) compact += c;
  }
  std::size_t i = 0;
  std::string number;
  if (i < compact.size() && (compact[i] == '+' || compact[i] == '-')) number += compact[i++];
  bool digits = false;
  while (i < compact.size() && IsDigit(compact[i])) number += compact[i++], digits = true;
  if (i < compact.size() && compact[i] == '.') {
    number += compact[i++];
    while (i < compact.size() && IsDigit(compact[i])) number += compact[i++], digits = true;
  }
  if (!digits) return {};
  if (i < compact.size() && std::strchr("eEdD", compact[i]) != nullptr) {
    std::size_t j = i + 1;
    std::string exponent = "e";
    if (j < compact.size() && (compact[j] == '+' || compact[j] == '-')) exponent += compact[j++];
    const std::size_t first_digit = j;
    while (j < compact.size() && IsDigit(compact[j])) exponent += compact[j++];
    if (j > first_digit) number += exponent;
  }
  return number;
}

}  // namespace

std::int16_t BoxValue(std::string_view text) {
  const std::string number = LeadingNumber(text);
  if (number.empty()) return 0;
  const double value = std::nearbyint(std::strtod(number.c_str(), nullptr));  // half to even
  constexpr double kMin = std::numeric_limits<std::int16_t>::min();
  constexpr double kMax = std::numeric_limits<std::int16_t>::max();
  if (std::isnan(value)) return 0;
  if (value <= kMin) return static_cast<std::int16_t>(kMin);
  if (value >= kMax) return static_cast<std::int16_t>(kMax);
  return static_cast<std::int16_t>(value);
}

std::string BoxText(int value) { return std::to_string(value); }

}  // namespace orvessa
