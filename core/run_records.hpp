#pragma once

#include <string>

#include "platform/file_system.hpp"

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

// Gives write permission back to every read-only file lying directly in destination;
// failures are skipped.
void ClearReadOnlyInDestination(FileSystem& fs, const std::string& destination);

}  // namespace orvessa
