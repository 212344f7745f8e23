#include "core/job_file_writer.hpp"

#include <cerrno>

#include "core/job_file_format.hpp"
#include "core/text_encoding.hpp"

namespace orvessa {
namespace {

class LineWriter {
 public:
  void Text(std::string_view text) {
    if (!FitsOnOneLine(text) || text.size() > job_file::kMaxLineBytes) valid_ = false;
    out_ += text;
    out_ += job_file::kLineEnd;
  }
  void Flag(bool value) { Text(value ? job_file::kTrue : job_file::kFalse); }
  void Integer(std::int64_t value) { Text(job_file::FormatInteger(value)); }
  void WholeNumber(double value) { Text(job_file::FormatWholeNumber(value)); }

  bool valid() const { return valid_; }
  const std::string& utf8() const { return out_; }

 private:
  std::string out_;
  bool valid_ = true;
};

}  // namespace

std::optional<std::string> SerializeJob(const BackupJob& job, const LocalDateTime& now,
                                        const Locale& locale) {
  LineWriter w;
  w.Text(locale.FormatTime(now.time));
  w.Text(locale.FormatShortDate(now.date));
  w.Text(job.Destination);
  w.Flag(job.OverwriteAll);
  w.Flag(job.CopyMode);
  w.Integer(job.CopiesToKeep);
  w.Flag(job.ManualOnly);
  w.Flag(job.EveryN);
  w.Flag(job.CopyAtShutdown);
  w.Integer(job.IntervalCount);
  w.Text(job.IntervalUnit);
  w.Integer(job.CopyHour);
  w.Integer(job.CopyMinute);
  w.WholeNumber(job.SelectedBytes);
  w.Integer(job.LastRunOutcome);
  w.Integer(static_cast<std::int64_t>(job.Sources.size()));
  for (const SourceEntry& entry : job.Sources) w.Text(entry.Text());
  w.Text("");
  if (!w.valid()) return std::nullopt;

  if (auto ansi = Utf8ToWindows1252(w.utf8())) return std::move(*ansi);
  return std::string(job_file::kUtf8Bom) + w.utf8();
}

FsStatus SaveJob(FileSystem& fs, const std::string& path, const BackupJob& job, const Clock& clock,
                 const Locale& locale) {
  auto bytes = SerializeJob(job, clock.Now(), locale);
  if (!bytes) return FsError{FsErrorKind::Other, EILSEQ, path};
  return fs.WriteFileAtomic(path, *bytes);
}

}  // namespace orvessa
