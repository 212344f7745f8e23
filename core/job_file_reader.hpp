#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/backup_job.hpp"
#include "platform/file_system.hpp"

namespace orvessa {

// Open: the user opened the file. Restore: the program brings back the last job at start.
enum class LoadMode { Open, Restore };

enum class JobFileEncoding { Windows1252, Utf8 };

// What a job file holds, with the loading rules of its mode applied. A field that
// could not be read (the file ended early, the line is not a valid value) is empty, so
// that the setting it feeds keeps its previous value; a flag that could not be read is
// false. The window applies this field by field; nothing here knows about controls.
struct LoadedJob {
  bool file_read = false;  // false: the file could not be opened; nothing else was read
  JobFileEncoding encoding = JobFileEncoding::Windows1252;

  std::optional<std::string> LastRunTime;
  std::optional<std::string> LastRunDate;
  std::optional<std::string> Destination;
  bool OverwriteAll = false;
  bool CopyMode = false;
  std::optional<std::int16_t> CopiesToKeep;  // Restore: 0 becomes 1
  bool ManualOnly = false;
  bool EveryN = false;                        // Restore: only when not ManualOnly
  bool CopyAtShutdown = false;                // only when not ManualOnly
  std::optional<std::int16_t> IntervalCount;  // Restore: 0 becomes 1
  std::optional<std::string> IntervalUnit;    // Restore: empty becomes "Días"
  std::optional<std::int16_t> CopyHour;
  std::optional<std::int16_t> CopyMinute;
  std::optional<std::int16_t> LastRunOutcome;
  // In file order; empty, unreadable and repeated lines are left out, at most 501.
  std::vector<SourceEntry> Sources;

  // Applies the fields onto job as loading does: fields read replace, unread ones stay,
  // flags are set as read and the sources are replaced. SelectedBytes is the caller's
  // to measure.
  void MergeInto(BackupJob& job) const;
};

// Reads job file bytes. `truncated` says the bytes stop short of the file's end: the
// last line, cut off, is then not taken.
LoadedJob ParseJobFile(std::string_view bytes, LoadMode mode, bool truncated = false);

// Reads the job file at path. A file that cannot be opened reads as one whose every
// line fails: all fields unread, flags false, no sources.
LoadedJob LoadJob(const FileSystem& fs, const std::string& path, LoadMode mode);

}  // namespace orvessa
