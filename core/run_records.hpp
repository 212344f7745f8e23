#pragma once

#include <string>

#include "core/backup_job.hpp"
#include "core/backup_run.hpp"
#include "platform/clock.hpp"
#include "platform/file_system.hpp"
#include "platform/locale.hpp"

namespace orvessa {

// The record of the last successful run, in the writable program folder.
inline constexpr const char* kLastCopyRecordName = "ultima.ovs";

std::string LastCopyRecordPath(const std::string& program_folder);

// One line: the full path of the job file's copy in the program folder. Written
// atomically; Windows-1252 when the path fits, else UTF-8 behind a byte-order mark.
FsStatus WriteLastCopyRecord(FileSystem& fs, const std::string& program_folder,
                             const std::string& job_file_name);

// The record's first line as UTF-8, without its line end; empty when there is no record.
std::string ReadLastCopyRecord(const FileSystem& fs, const std::string& program_folder);

// What follows a run, in the window and in orvessa-run alike: the job takes the run's
// outcome, dates and destination, and is saved where the outcome says: after a normal end
// into the destination and the program folder, followed by the record of the last copy;
// after an error end into the program folder only; after a check, nowhere. Failures are
// skipped. Every run that started adds its line to the run history in state_folder
// (none when it is empty).
void RecordRun(FileSystem& fs, const Clock& clock, const Locale& locale,
               const std::string& program_folder, const std::string& state_folder, BackupJob& job,
               const JobFileIdentity& identity, const RunResult& result);

// Gives write permission back to every read-only file lying directly in destination;
// failures are skipped.
void ClearReadOnlyInDestination(FileSystem& fs, const std::string& destination);

}  // namespace orvessa
