#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/backup_run.hpp"
#include "platform/date_time.hpp"
#include "platform/file_system.hpp"

namespace orvessa {

// One line a run in the state folder, oldest first; it only tells about copies, the
// copies themselves tell what exists.
inline constexpr const char* kRunHistoryName = "runs.tsv";
inline constexpr std::size_t kRunHistoryKept = 2000;  // older lines are dropped

enum class RunOutcome { Normal, Error, Stopped };

struct RunRecord {
  std::string start, end;  // local "YYYY-MM-DD HH:MM:SS"
  RunOutcome outcome = RunOutcome::Normal;
  std::string destination;  // as the run ended with it, final "/" included
  std::string copy;         // "Copy07"; empty for a copy over the previous one
  std::string job;          // the job file's name
  std::uint64_t files = 0, bytes = 0;
  std::uint64_t missing = 0;     // files and folders not copied (some carried over)
  std::uint64_t mismatched = 0;  // files the verification found different
  bool verified = false;         // a verification ran and found every compared file equal

  friend bool operator==(const RunRecord&, const RunRecord&) = default;
};

// "YYYY-MM-DD HH:MM:SS".
std::string DateTimeText(const LocalDateTime& when);
// The local date and time a number of seconds since the epoch is, and back.
LocalDateTime LocalFromEpoch(std::int64_t seconds);
std::int64_t EpochOf(const LocalDateTime& when);
// Seconds since the epoch of a DateTimeText; 0 when it is none.
std::int64_t EpochFromText(const std::string& text);

// The record of a run that ended at `end`; its start is `end` less the run's time.
RunRecord RecordOfRun(const RunResult& result, const LocalDateTime& end,
                      const std::string& job_file_name);

std::string RunRecordLine(const RunRecord& record);  // with its line end
// False for a line this program did not write (other fields, a bad number).
bool ParseRunRecord(std::string_view line, RunRecord& record);

// Adds the record as the newest line: the file is replaced as a whole, so a reader sees
// it with or without the line, never a part of it.
FsStatus AppendRunRecord(FileSystem& fs, const std::string& state_folder, const RunRecord& record);
// Every readable record, oldest first; none when there is no history.
std::vector<RunRecord> ReadRunHistory(const FileSystem& fs, const std::string& state_folder);

}  // namespace orvessa
