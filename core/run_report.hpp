#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/fs_error.hpp"

namespace orvessa {

// Failed paths a report lists; the rest are only counted.
inline constexpr std::size_t kListedFailures = 20;

struct FailedPath {
  std::string path;
  std::string reason;  // in words, for the user
};

// What a run did, for the summary a user reads after it.
struct RunReport {
  std::uint64_t files = 0;  // files and links copied
  std::uint64_t bytes = 0;
  std::uint64_t failed = 0;          // files and folders that were not copied
  std::vector<FailedPath> failures;  // the first kListedFailures of them
  bool permission_denied = false;    // one of them was refused by the system
  std::chrono::milliseconds elapsed{0};

  // `at_destination`: error.path is on the copy's side, not the source's.
  void AddFailure(const std::string& path, const FsError& error, bool at_destination);
};

// Why a file or folder could not be copied, in words.
std::string ReasonInWords(const FsError& error, bool at_destination);

// "1 min 5 s", "2.4 s".
std::string DurationInWords(std::chrono::milliseconds elapsed);

}  // namespace orvessa
