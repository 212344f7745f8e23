#include "core/run_records.hpp"

#include "core/job_file_format.hpp"
#include "core/job_file_writer.hpp"
#include "core/run_history.hpp"
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

std::string ReadLastCopyRecord(const FileSystem& fs, const std::string& program_folder) {
  // One path line; more than a few kilobytes is not a record this program wrote.
  constexpr std::size_t kMaxRecordBytes = 64 * 1024;
  auto content = fs.ReadFile(LastCopyRecordPath(program_folder), kMaxRecordBytes);
  if (!content) return {};
  std::string_view bytes = content.value().bytes;
  const bool utf8 = bytes.substr(0, job_file::kUtf8Bom.size()) == job_file::kUtf8Bom;
  if (utf8) bytes.remove_prefix(job_file::kUtf8Bom.size());
  bytes = bytes.substr(0, bytes.find_first_of("\r\n"));
  if (utf8) return IsValidUtf8(bytes) ? std::string(bytes) : std::string();
  return Windows1252ToUtf8(bytes);
}

void RecordRun(FileSystem& fs, const Clock& clock, const Locale& locale,
               const std::string& program_folder, const std::string& state_folder, BackupJob& job,
               const JobFileIdentity& identity, const RunResult& result) {
  if (result.end == RunEnd::NotRun) return;
  if (!state_folder.empty()) {
    (void)AppendRunRecord(fs, state_folder, RecordOfRun(result, clock.Now(), identity.JobFileName));
  }
  job.LastRunOutcome = result.outcome;
  job.LastRunDate = result.date;
  job.LastRunTime = result.time;
  job.Destination = result.destination;
  if (result.end == RunEnd::StoppedAtCheck) return;
  if (result.end == RunEnd::Normal) {
    (void)SaveJob(fs, job.Destination + identity.JobFileName, job, clock, locale);
  }
  (void)fs.MakeFolders(program_folder);
  (void)SaveJob(fs, InFolder(program_folder, identity.JobFileName), job, clock, locale);
  if (result.end == RunEnd::Normal) {
    (void)WriteLastCopyRecord(fs, program_folder, identity.JobFileName);
  }
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
