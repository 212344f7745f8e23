#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/backup_job.hpp"
#include "core/source_entry.hpp"
#include "platform/file_system.hpp"

namespace orvessa {

// What a folder command of the destination tab decided: the folder to make or erase and
// the destination after it, or the text to show instead (then nothing is touched).
struct FolderCommand {
  int refused_text = 0;  // a text number; 0: go ahead
  std::string folder;
  std::string destination_after;
};

// The job as the source and destination tabs edit it: every entry listed once, in the
// order added, files counted in the selected bytes at once. A folder's size is measured
// elsewhere and added by the caller when it comes in.
class JobEditor {
 public:
  JobEditor(BackupJob& job, const FileSystem& fs) : job_(job), fs_(fs) {}

  // The highlighted files of one folder, in list order. The first that is listed
  // already, cannot be an entry (a name ending in "*") or has no size ends the adding.
  // Returns the entries added, at the end of the list.
  std::vector<SourceEntry> AddFiles(const std::string& folder,
                                    const std::vector<std::string>& names);
  // None when the path cannot be an entry or is listed already.
  std::optional<SourceEntry> AddFolder(std::string_view folder);
  // The entry taken out; none when the row holds none.
  std::optional<SourceEntry> RemoveAt(int row);
  void RemoveAll();

  // "Create folder": a bare name inside the destination, which becomes the new folder.
  FolderCommand NewFolder(std::string_view name) const;
  // "Erase folder": the name must be the destination's own last name; the destination
  // becomes the folder above it.
  FolderCommand EraseFolder(std::string_view name) const;

 private:
  bool Listed(const SourceEntry& entry) const;

  BackupJob& job_;
  const FileSystem& fs_;
};

}  // namespace orvessa
