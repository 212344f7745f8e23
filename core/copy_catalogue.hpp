#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/backup_job.hpp"
#include "core/run_history.hpp"
#include "platform/file_system.hpp"

namespace orvessa {

// One copy of the job at its destination.
struct CopyInfo {
  std::string name;         // "Copy03"; for the copy a run overwrites, the destination's own name
  std::string path;         // its folder, no final "/"
  std::string when;         // the run that made it, "YYYY-MM-DD HH:MM:SS"
  bool when_known = false;  // from the run history, else the folder's modification time
  std::optional<std::uint64_t> bytes;  // what the run recorded; unknown without history
  std::uint64_t missing = 0;           // lines of its list of missing files, carried ones included
  std::uint64_t carried = 0;           // of them, held as an older copy had them
  bool verification_failed = false;    // its run found copied files that differ
  bool run_failed = false;             // its run is recorded as not ending normally
};

// The copies of the job at its destination, newest first: the CopyNN folders, and the
// destination itself when it holds a source's copy directly. Reads the top folders, their
// lists of missing files and the history only, never every file.
std::vector<CopyInfo> ListCopies(const FileSystem& fs, const BackupJob& job,
                                 const std::vector<RunRecord>& history);

// The copy of that name, if listed.
std::optional<CopyInfo> FindCopy(const std::vector<CopyInfo>& copies, const std::string& name);

// Where an original path lies inside a copy, by the job's sources (the innermost source
// that holds it); nullopt when no source holds it.
std::optional<std::string> PathInCopy(const BackupJob& job, const std::string& copy_path,
                                      const std::string& original);
// The original path of a path inside a copy; nullopt when it is not inside a source's copy.
std::optional<std::string> OriginalOf(const BackupJob& job, const std::string& copy_path,
                                      const std::string& inside);

}  // namespace orvessa
