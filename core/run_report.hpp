#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/fs_error.hpp"

namespace orvessa {

// Failed paths a report lists; the rest are only counted.
inline constexpr std::size_t kListedFailures = 20;

struct FailedPath {
  std::string path;
  std::string reason;  // in words, for the user
};

// What the comparison of the new copy with its sources found.
struct Verification {
  bool all = false;                        // every file was compared, not a sample
  bool canary_checked = false;             // a check file was written and read back
  std::uint64_t files = 0;                 // compared and equal
  std::uint64_t in_parts = 0;              // of them, compared in ranges rather than whole
  std::uint64_t bytes = 0;                 // compared
  std::uint64_t mismatched = 0;            // copies that differ or cannot be read
  std::vector<FailedPath> mismatches;      // the first kListedFailures of them
  std::uint64_t changed = 0;               // sources that changed after being copied
  std::vector<std::string> changed_paths;  // the first kListedFailures of them

  void AddMismatch(const std::string& path, const std::string& reason);
  void AddChanged(const std::string& path);
};

// What a run did, for the summary a user reads after it.
struct RunReport {
  std::uint64_t files = 0;   // files and links copied or shared
  std::uint64_t bytes = 0;   // written
  std::uint64_t shared = 0;  // unchanged files shared with the prior copy, not written
  std::uint64_t shared_bytes = 0;
  std::uint64_t failed = 0;          // files and folders that were not copied
  std::vector<FailedPath> failures;  // the first kListedFailures of them
  bool permission_denied = false;    // one of them was refused by the system
  // Files not copied today that the new copy holds as an older copy had them: per copy
  // ("Copy03", or "" for the copy an overwrite replaced) in the order first met.
  std::uint64_t carried = 0;
  std::vector<std::pair<std::string, std::uint64_t>> carried_from;
  std::chrono::milliseconds elapsed{0};
  Verification verified;

  // `at_destination`: error.path is on the copy's side, not the source's.
  void AddFailure(const std::string& path, const FsError& error, bool at_destination);
  void AddCarried(const std::string& copy, std::uint64_t files);
};

// Why a file or folder could not be copied, in words.
std::string ReasonInWords(const FsError& error, bool at_destination);

// "1 min 5 s", "2.4 s".
std::string DurationInWords(std::chrono::milliseconds elapsed);

}  // namespace orvessa
