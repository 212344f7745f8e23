#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvessa {

// The number a text box holds: the leading decimal number of its text, blanks anywhere
// skipped, rounded half to even and bounded to the 16-bit range; 0 when there is none.
std::int16_t BoxValue(std::string_view text);

// A number as a box shows it: plain decimal without leading zeros or blanks.
std::string BoxText(int value);

}  // namespace orvessa
