#pragma once

#include <cstdint>
#include <functional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "core/backup_job.hpp"
#include "core/copy_catalogue.hpp"
#include "core/copy_engine.hpp"
#include "platform/file_system.hpp"

namespace orvessa {

// A file or folder found inside a copy.
struct CopyItem {
  std::string copy;      // the copy's name
  std::string original;  // its original path
  std::string path;      // its path inside the copy
  EntryType type = EntryType::Other;
  std::uint64_t size = 0;
  std::int64_t modified = 0;  // seconds since the epoch
};

// Told each item as it is found; returning false ends the walk.
using ItemSink = std::function<bool(const CopyItem&)>;

// Every item of the copies (newest first, as listed) whose name holds `needle`, letters
// compared without case. Walks one folder at a time, so memory does not grow with the
// number of files.
void SearchCopies(const FileSystem& fs, const BackupJob& job, const std::vector<CopyInfo>& copies,
                  std::string_view needle, const ItemSink& sink, std::stop_token stop = {});

// The files of the copy whose original path is gone from the source now.
void DeletedSince(const FileSystem& fs, const BackupJob& job, const CopyInfo& copy,
                  const ItemSink& sink, std::stop_token stop = {});

struct FileVersion {
  CopyItem item;
  std::string when;  // of the copy's run
  // Differs from the next older version listed; true for the oldest.
  bool changed = true;
};

// The versions of one original path, newest first: one a copy that holds it.
std::vector<FileVersion> VersionsOf(const FileSystem& fs, const CopyEngine& copier,
                                    const BackupJob& job, const std::vector<CopyInfo>& copies,
                                    const std::string& original, std::stop_token stop = {});

}  // namespace orvessa
