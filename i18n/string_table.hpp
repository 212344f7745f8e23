#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvessa {

// The id just before each language's block of texts; also the stored language value.
inline constexpr std::int16_t kSpanishBase = 100;
inline constexpr std::int16_t kEnglishBase = 214;
inline constexpr std::int16_t kGermanBase = 328;
inline constexpr std::int16_t kFrenchBase = 442;
inline constexpr int kStringsPerLanguage = 114;

inline constexpr bool IsLanguageBase(int base) {
  return base == kSpanishBase || base == kEnglishBase || base == kGermanBase || base == kFrenchBase;
}

// Where the web page and support e-mail of the Help menu lead.
inline constexpr std::string_view kWebAddress = "https://www.orvessa.example.org/";
inline constexpr std::string_view kSupportAddress = "soporte@orvessa.example.org";

// The text with this id (language base + string number), UTF-8. An id that names no
// text gives an empty text.
const std::string& LoadResString(int id);

// True when the id names a text of the table.
bool HasResString(int id);

// Text number of the language with this base, for every number the program shows,
// also those beyond the first 114 that ids cannot reach. Unknown: an empty text.
const std::string& LoadText(int language_base, int number);

}  // namespace orvessa
