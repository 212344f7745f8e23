#pragma once

#include <string_view>

#include "core/backup_job.hpp"

namespace orvessa::form2 {

// The every-N unit words by line of the unit list.
inline constexpr std::string_view kUnits[3] = {kUnitDays, kUnitWeeks, kUnitMonths};

// Type filter entries 2 to 9, the same in every language, with their file patterns.
struct FixedFilter {
  const char* text;
  const char* pattern;
};
inline constexpr FixedFilter kFixedFilters[8] = {
    {"Word (*.doc)", "*.doc*"},      {"Excel (*.xls)", "*.xls"},       {"Access (*.mdb)", "*.mdb"},
    {"PowerPoint (*.ppt)", "*.ppt"}, {"WordPerfect (*.wpd)", "*.wpd"}, {"Bitmap (*.bmp)", "*.bmp"},
    {"JPEG (*.jpg)", "*.jpg"},       {"HTML (*.htm)", "*.htm"}};

}  // namespace orvessa::form2
