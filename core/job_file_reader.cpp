#include "core/job_file_reader.hpp"

#include <algorithm>

#include "core/job_file_format.hpp"
#include "core/text_encoding.hpp"

namespace orvessa {
namespace {

// Hands out the lines of a job file as UTF-8 text. CR LF, LF and CR all end a line.
// A line that cannot be a value (too long, a NUL, not decodable) comes back empty
// (nullopt) but still counts as a line; the end of the file gives `ended`.
class LineReader {
 public:
  LineReader(std::string_view bytes, bool truncated) : rest_(bytes), truncated_(truncated) {
    if (rest_.substr(0, job_file::kUtf8Bom.size()) == job_file::kUtf8Bom) {
      rest_.remove_prefix(job_file::kUtf8Bom.size());
      encoding_ = JobFileEncoding::Utf8;
    }
  }

  JobFileEncoding encoding() const { return encoding_; }
  bool ended() const { return ended_; }

  // The next line with its leading blanks dropped.
  std::optional<std::string> Next() {
    if (ended_ || rest_.empty()) {
      ended_ = true;
      return std::nullopt;
    }
    std::size_t end = rest_.find_first_of("\r\n");
    if (end == std::string_view::npos && truncated_) {
      ended_ = true;  // a line cut off by the read limit is not what the file says
      return std::nullopt;
    }
    std::string_view raw = rest_.substr(0, end);
    if (end == std::string_view::npos) {
      rest_ = {};
    } else {
      std::size_t skip = rest_.compare(end, 2, "\r\n") == 0 ? 2 : 1;
      rest_.remove_prefix(end + skip);
    }
    while (!raw.empty() && raw.front() == ' ') raw.remove_prefix(1);
    if (raw.size() > job_file::kMaxLineBytes || raw.find('\0') != std::string_view::npos) {
      return std::nullopt;
    }
    std::string text;
    if (encoding_ == JobFileEncoding::Windows1252) {
      text = Windows1252ToUtf8(raw);
    } else if (IsValidUtf8(raw)) {
      text = raw;
    } else {
      return std::nullopt;
    }
    // Decoding can lengthen a line; the limit holds for the text as the writer sees it.
    if (text.size() > job_file::kMaxLineBytes) return std::nullopt;
    return text;
  }

 private:
  std::string_view rest_;
  bool truncated_;
  bool ended_ = false;
  JobFileEncoding encoding_ = JobFileEncoding::Windows1252;
};

std::optional<std::int16_t> ReadInteger(LineReader& lines) {
  auto line = lines.Next();
  if (!line) return std::nullopt;
  return job_file::ParseInteger(*line);
}

bool ReadFlag(LineReader& lines) {
  auto line = lines.Next();
  return line && *line == job_file::kTrue;
}

// The entry count may exceed 16 bits in a file with very many entries; only whether it
// passes the reader's limit matters, so any run of digits is taken.
std::optional<long> ReadCount(LineReader& lines) {
  auto line = lines.Next();
  if (!line) return std::nullopt;
  std::string_view text = *line;
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  if (auto small = job_file::ParseInteger(text)) return *small;
  if (text.starts_with('+')) text.remove_prefix(1);
  if (text.empty() ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  return job_file::kMaxEntries;
}

std::optional<std::int16_t> AtLeastOneOnRestore(std::optional<std::int16_t> value, LoadMode mode) {
  if (mode == LoadMode::Restore && value == 0) return 1;
  return value;
}

}  // namespace

LoadedJob ParseJobFile(std::string_view bytes, LoadMode mode, bool truncated) {
  LoadedJob job;
  job.file_read = true;
  LineReader lines(bytes, truncated);
  job.encoding = lines.encoding();

  job.LastRunTime = lines.Next();
  job.LastRunDate = lines.Next();
  job.Destination = lines.Next();
  job.OverwriteAll = ReadFlag(lines);
  job.CopyMode = ReadFlag(lines);
  job.CopiesToKeep = AtLeastOneOnRestore(ReadInteger(lines), mode);
  job.ManualOnly = ReadFlag(lines);
  job.EveryN = ReadFlag(lines) && (mode == LoadMode::Open || !job.ManualOnly);
  // Opening runs the every-N handler after the manual one, which clears ManualOnly again.
  job.CopyAtShutdown = ReadFlag(lines) && (!job.ManualOnly || job.EveryN);
  job.IntervalCount = AtLeastOneOnRestore(ReadInteger(lines), mode);
  job.IntervalUnit = lines.Next();
  if (mode == LoadMode::Restore && job.IntervalUnit && job.IntervalUnit->empty()) {
    job.IntervalUnit = std::string(kUnitDays);
  }
  job.CopyHour = ReadInteger(lines);
  job.CopyMinute = ReadInteger(lines);
  lines.Next();  // the byte total: the caller measures the sources afresh
  job.LastRunOutcome = ReadInteger(lines);

  auto count = ReadCount(lines);
  if (!count) return job;
  // The count line is followed by count entries and one empty line: count + 1 lines.
  const long last = std::min<long>(*count, job_file::kMaxEntries - 1);
  for (long i = 0; i <= last && !lines.ended(); ++i) {
    auto line = lines.Next();
    if (!line) continue;
    auto entry = SourceEntry::FromLine(*line);
    if (!entry) continue;
    if (std::find(job.Sources.begin(), job.Sources.end(), *entry) != job.Sources.end()) {
      continue;  // the list never holds a line twice
    }
    job.Sources.push_back(std::move(*entry));
  }
  return job;
}

LoadedJob LoadJob(const FileSystem& fs, const std::string& path, LoadMode mode) {
  auto content = fs.ReadFile(path, job_file::kMaxFileBytes);
  if (!content) return LoadedJob{};
  return ParseJobFile(content.value().bytes, mode, content.value().truncated);
}

void LoadedJob::MergeInto(BackupJob& job) const {
  auto take = [](auto& field, const auto& read) {
    if (read) field = *read;
  };
  take(job.LastRunTime, LastRunTime);
  take(job.LastRunDate, LastRunDate);
  take(job.Destination, Destination);
  job.OverwriteAll = OverwriteAll;
  job.CopyMode = CopyMode;
  take(job.CopiesToKeep, CopiesToKeep);
  job.ManualOnly = ManualOnly;
  job.EveryN = EveryN;
  job.CopyAtShutdown = CopyAtShutdown;
  take(job.IntervalCount, IntervalCount);
  take(job.IntervalUnit, IntervalUnit);
  take(job.CopyHour, CopyHour);
  take(job.CopyMinute, CopyMinute);
  take(job.LastRunOutcome, LastRunOutcome);
  job.Sources = Sources;
}

}  // namespace orvessa
