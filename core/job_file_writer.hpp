#pragma once

#include <optional>
#include <string>

#include "core/backup_job.hpp"
#include "platform/clock.hpp"
#include "platform/date_time.hpp"
#include "platform/file_system.hpp"
#include "platform/locale.hpp"

namespace orvessa {

// The bytes of a job file for job, lines 1 and 2 stamped with `now` in the locale's
// formats. Windows-1252 when every text fits, else UTF-8 behind a byte-order mark.
// nullopt when a text cannot stand on one line (a line break, a NUL, invalid UTF-8,
// longer than a reader takes): such a file would not read back as the same job.
std::optional<std::string> SerializeJob(const BackupJob& job, const LocalDateTime& now,
                                        const Locale& locale);

// Writes job to path atomically, stamped with the clock's current time. A failure
// leaves any previous file at path unchanged.
FsStatus SaveJob(FileSystem& fs, const std::string& path, const BackupJob& job, const Clock& clock,
                 const Locale& locale);

}  // namespace orvessa
