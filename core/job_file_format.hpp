#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvessa {

// The line layout shared by the job file writer and reader.
namespace job_file {

inline constexpr std::string_view kTrue = "Verdadero";
inline constexpr std::string_view kFalse = "Falso";
inline constexpr std::string_view kLineEnd = "\r\n";
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

inline constexpr int kFieldLines = 16;   // lines before the entries, the count included
inline constexpr int kMaxEntries = 501;  // entry lines a reader takes
// A longer line cannot be a path or a setting; readers skip it as unreadable and
// writers refuse to produce one.
inline constexpr std::size_t kMaxLineBytes = 64 * 1024;
// Everything a reader can take fits below this, so a larger file is read only this far.
inline constexpr std::size_t kMaxFileBytes =
    kUtf8Bom.size() + (kFieldLines + kMaxEntries + 1) * (kMaxLineBytes + kLineEnd.size());

// " 5 " and "-1 ": the sign position, the digits, one blank.
std::string FormatInteger(std::int64_t value);
// The selection's byte total in the integer form, rounded to a whole number.
std::string FormatWholeNumber(double value);
// The number on an integer line, blanks around it ignored. nullopt when the line holds
// anything else or a number outside the 16-bit range.
std::optional<std::int16_t> ParseInteger(std::string_view line);

}  // namespace job_file
}  // namespace orvessa
