#include "core/run_history.hpp"

#include <charconv>
#include <cstdio>
#include <ctime>

namespace orvessa {
namespace {

constexpr const char* kOutcomeWords[] = {"normal", "error", "stopped"};
constexpr std::size_t kFields = 11;

std::string HistoryPath(const std::string& state_folder) {
  return state_folder + (state_folder.ends_with('/') ? "" : "/") + kRunHistoryName;
}

// A path may hold tabs and backslashes; a line holds neither a tab nor a line break of its own.
std::string Escaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\\')
      out += "\\\\";
    else if (c == '\t')
      out += "\\t";
    else if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else
      out += c;
  }
  return out;
}

bool Unescaped(std::string_view text, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    if (++i == text.size()) return false;
    switch (text[i]) {
      case '\\':
        out += '\\';
        break;
      case 't':
        out += '\t';
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      default:
        return false;
    }
  }
  return true;
}

bool Number(std::string_view text, std::uint64_t& value) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab - start));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

}  // namespace

std::int64_t EpochOf(const LocalDateTime& when) {
  std::tm tm{};
  tm.tm_year = when.date.year - 1900;
  tm.tm_mon = when.date.month - 1;
  tm.tm_mday = when.date.day;
  tm.tm_hour = when.time.hour;
  tm.tm_min = when.time.minute;
  tm.tm_sec = when.time.second;
  tm.tm_isdst = -1;
  return static_cast<std::int64_t>(std::mktime(&tm));
}

std::int64_t EpochFromText(const std::string& text) {
  LocalDateTime when;
  if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d", &when.date.year, &when.date.month,
                  &when.date.day, &when.time.hour, &when.time.minute, &when.time.second) != 6) {
    return 0;
  }
  return EpochOf(when);
}

std::string DateTimeText(const LocalDateTime& when) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", when.date.year % 10000,
                when.date.month % 100, when.date.day % 100, when.time.hour % 100,
                when.time.minute % 100, when.time.second % 100);
  return text;
}

LocalDateTime LocalFromEpoch(std::int64_t seconds) {
  const std::time_t time = static_cast<std::time_t>(seconds);
  std::tm tm{};
  localtime_r(&time, &tm);
  return {{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday}, {tm.tm_hour, tm.tm_min, tm.tm_sec}};
}

RunRecord RecordOfRun(const RunResult& result, const LocalDateTime& end,
                      const std::string& job_file_name) {
  RunRecord record;
  const auto elapsed_s = std::chrono::duration_cast<std::chrono::seconds>(result.report.elapsed);
  record.start = DateTimeText(LocalFromEpoch(EpochOf(end) - elapsed_s.count()));
  record.end = DateTimeText(end);
  record.outcome = result.end == RunEnd::Normal                             ? RunOutcome::Normal
                   : result.stopped || result.end == RunEnd::StoppedAtCheck ? RunOutcome::Stopped
                                                                            : RunOutcome::Error;
  record.destination = result.destination;
  record.copy = result.copy_folder;
  record.job = job_file_name;
  record.files = result.report.files;
  record.bytes = result.report.bytes + result.report.shared_bytes;
  record.missing = result.report.failed;
  record.mismatched = result.report.verified.mismatched;
  record.verified = (result.report.verified.files > 0 || result.report.verified.canary_checked) &&
                    result.report.verified.mismatched == 0;
  return record;
}

std::string RunRecordLine(const RunRecord& record) {
  std::string line =
      record.start + '\t' + record.end + '\t' + kOutcomeWords[static_cast<int>(record.outcome)] +
      '\t' + Escaped(record.destination) + '\t' + Escaped(record.copy) + '\t' + Escaped(record.job);
  for (std::uint64_t n : {record.files, record.bytes, record.missing, record.mismatched}) {
    line += '\t' + std::to_string(n);
  }
  line += record.verified ? "\tverified\n" : "\t-\n";
  return line;
}

bool ParseRunRecord(std::string_view line, RunRecord& record) {
  if (line.ends_with('\n')) line.remove_suffix(1);
  const auto fields = Fields(line);
  if (fields.size() != kFields) return false;
  RunRecord parsed;
  parsed.start = fields[0];
  parsed.end = fields[1];
  bool known = false;
  for (int i = 0; i < 3; ++i) {
    if (fields[2] == kOutcomeWords[i]) {
      parsed.outcome = static_cast<RunOutcome>(i);
      known = true;
    }
  }
  if (!known || !Unescaped(fields[3], parsed.destination) || !Unescaped(fields[4], parsed.copy) ||
      !Unescaped(fields[5], parsed.job) || !Number(fields[6], parsed.files) ||
      !Number(fields[7], parsed.bytes) || !Number(fields[8], parsed.missing) ||
      !Number(fields[9], parsed.mismatched)) {
    return false;
  }
  if (fields[10] != "verified" && fields[10] != "-") return false;
  parsed.verified = fields[10] == "verified";
  record = std::move(parsed);
  return true;
}

FsStatus AppendRunRecord(FileSystem& fs, const std::string& state_folder, const RunRecord& record) {
  if (auto made = fs.MakeFolders(state_folder); !made) return made;
  std::vector<RunRecord> kept = ReadRunHistory(fs, state_folder);
  const std::size_t drop = kept.size() >= kRunHistoryKept ? kept.size() - kRunHistoryKept + 1 : 0;
  std::string bytes;
  for (std::size_t i = drop; i < kept.size(); ++i) bytes += RunRecordLine(kept[i]);
  bytes += RunRecordLine(record);
  return fs.WriteFileAtomic(HistoryPath(state_folder), bytes);
}

std::vector<RunRecord> ReadRunHistory(const FileSystem& fs, const std::string& state_folder) {
  // A line is well under a kilobyte; more than this is not a history this program wrote.
  constexpr std::size_t kMaxBytes = kRunHistoryKept * 8192;
  std::vector<RunRecord> records;
  auto content = fs.ReadFile(HistoryPath(state_folder), kMaxBytes);
  if (!content) return records;
  std::string_view bytes = content.value().bytes;
  while (!bytes.empty()) {
    const std::size_t end = bytes.find('\n');
    RunRecord record;
    if (ParseRunRecord(bytes.substr(0, end), record)) records.push_back(std::move(record));
    if (end == std::string_view::npos) break;
    bytes.remove_prefix(end + 1);
  }
  return records;
}

}  // namespace orvessa
