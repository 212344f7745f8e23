#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/source_entry.hpp"

namespace orvessa {

// Unit words of the every-N schedule; stored as these words whatever the language.
inline constexpr std::string_view kUnitDays =
    "D\xC3\xAD"
    "as";  // "Días"
inline constexpr std::string_view kUnitWeeks = "Semanas";
inline constexpr std::string_view kUnitMonths = "Meses";

// The one backup job, in the order its file stores the fields. Texts are UTF-8.
struct BackupJob {
  std::string LastRunTime;
  std::string LastRunDate;
  std::string Destination;
  bool OverwriteAll = false;
  bool CopyMode = false;  // true: keep prior copies
  std::int16_t CopiesToKeep = 0;
  bool ManualOnly = false;
  bool EveryN = false;
  bool CopyAtShutdown = false;
  std::int16_t IntervalCount = 0;
  std::string IntervalUnit;
  std::int16_t CopyHour = 0;
  std::int16_t CopyMinute = 0;
  double SelectedBytes = 0;
  std::int16_t LastRunOutcome = 0;  // 0 success, 1 error
  std::vector<SourceEntry> Sources;

  friend bool operator==(const BackupJob&, const BackupJob&) = default;
};

// Which job file the current job came from or was last saved to.
struct JobFileIdentity {
  std::string JobFileName;  // name without folder
  std::string JobFilePath;  // full path

  static JobFileIdentity FromPath(std::string_view path) {
    auto slash = path.rfind('/');
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    return {std::string(name), std::string(path)};
  }
};

}  // namespace orvessa
