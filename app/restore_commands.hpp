#pragma once

#include <csignal>
#include <string>
#include <vector>

#include "core/backup_job.hpp"

namespace orvessa {

enum class Command { Backup, ListCopies, Versions, Search, Deleted, Restore };

// What orvessa-run was asked to do with a job's copies.
struct CopyCommand {
  Command command = Command::Backup;
  std::vector<std::string> paths;  // original paths (absolute), or the text searched for
  std::string copy;                // --copy NAME
  std::string to;                  // --to DIR (absolute)
  bool replace = false;
};

// The exit status of a command on the copies of the job, its output on stdout, messages on
// stderr. A stop signal (its number in `stop_signal`) ends a restore after the current chunk.
int RunCopyCommand(const CopyCommand& command, const BackupJob& job,
                   const volatile std::sig_atomic_t& stop_signal);

}  // namespace orvessa
