#pragma once

#include <cstdint>
#include <stop_token>
#include <string>
#include <vector>

#include "core/backup_job.hpp"
#include "core/copy_catalogue.hpp"
#include "core/copy_engine.hpp"
#include "core/run_report.hpp"
#include "platform/date_time.hpp"
#include "platform/file_system.hpp"

namespace orvessa {

struct RestoreRequest {
  CopyInfo copy;
  std::vector<std::string> originals;  // original paths of the files and folders chosen
  // Empty: each to its original place. Else the folder that receives them, with their
  // paths as inside the copy (a source's own name first).
  std::string to_folder;
  bool replace = false;  // a different file in the way is replaced, not kept beside
  LocalDate today;       // for the " (restored YYYY-MM-DD)" names
};

enum class RestoreAction {
  New,       // nothing in the way
  NewTree,   // a whole folder with nothing in the way: built beside, then renamed
  Replace,   // a different file in the way, replaced
  KeepBoth,  // a different file in the way, kept; the restored one takes a suffixed name
  Skip,      // an identical file is already there
};

struct RestoreStep {
  RestoreAction action = RestoreAction::New;
  std::string from;  // inside the copy
  std::string to;    // final name
  EntryType type = EntryType::File;
  std::uint64_t bytes = 0;  // of a file; of a tree, its files' bytes
};

struct RestorePlan {
  std::string copy_path;  // the copy restored from
  std::vector<RestoreStep> steps;
  std::uint64_t bytes = 0;           // to write
  std::uint64_t differing = 0;       // files in the way that differ: what "Replace" replaces
  std::uint64_t identical = 0;       // files already there as in the copy
  std::vector<FailedPath> problems;  // chosen paths the copy does not hold, unreadable ones
};

// "ana (restored 2026-12-08).txt" beside "ana.txt"; a number is added while that is taken.
std::string KeepBothName(const FileSystem& fs, const std::string& path, const LocalDate& today);

// Works out what a restore will do, reading only: the copy and what lies in the way.
RestorePlan PlanRestore(const FileSystem& fs, const CopyEngine& copier, const BackupJob& job,
                        const RestoreRequest& request, std::stop_token stop = {});

struct RestoreResult {
  std::uint64_t files = 0;  // written
  std::uint64_t bytes = 0;
  std::uint64_t replaced = 0, kept_both = 0, skipped = 0;
  std::uint64_t failed = 0;
  std::vector<FailedPath> failures;  // the first kListedFailures, reason in words
  bool stopped = false;
};

// Told how far a restore is.
class RestoreProgress {
 public:
  virtual ~RestoreProgress() = default;
  virtual void Progress(std::uint64_t bytes_done, std::uint64_t bytes_total,
                        const std::string& current) = 0;
};

// Carries the plan out. Every file is a new file copied out of the copy, never a further
// name of it, written under a temporary name and renamed, with times and modes kept; a
// folder tree is built beside its place and renamed. Nothing is written into the copy.
// A failing file is reported and the rest goes on; a stop leaves no partial file under
// a final name.
RestoreResult RunRestore(FileSystem& fs, CopyEngine& copier, const RestorePlan& plan,
                         RestoreProgress* progress, std::stop_token stop = {});

}  // namespace orvessa
