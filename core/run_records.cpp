#include "core/run_records.hpp"

#include "core/job_file_format.hpp"
#include "core/text_encoding.hpp"

namespace orvessa {
namespace {

std::string InFolder(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

}  // namespace

std::string LastCopyRecordPath(const std::string& program_folder) {
  return InFolder(program_folder, kLastCopyRecordName);
}

FsStatus WriteLastCopyRecord(FileSystem& fs, const std::string& program_folder,
                             const std::string& job_file_name) {
  const std::string line = InFolder(program_folder, job_file_name);
  std::string bytes;
  if (auto ansi = Utf8ToWindows1252(line)) {
    bytes = std::move(*ansi);
  } else {
    bytes = std::string(job_file::kUtf8Bom) + line;
  }
  bytes += job_file::kLineEnd;
  (void)fs.MakeFolders(program_folder);
  return fs.WriteFileAtomic(LastCopyRecordPath(program_folder), bytes);
}

void ClearReadOnlyInDestination(FileSystem& fs, const std::string& destination) {
  auto listing = fs.ListFolder(destination);
  if (!listing) return;
  for (const FolderEntry& entry : listing.value()) {
    if (entry.type == EntryType::File && entry.read_only) {
      (void)fs.ClearReadOnly(InFolder(destination, entry.name));
    }
  }
}

}  // namespace orvessa
