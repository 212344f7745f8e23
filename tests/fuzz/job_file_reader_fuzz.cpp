// libFuzzer target for the job file reader. Beyond not crashing, hanging or growing
// without bound, whatever the reader accepts must be writable and read back the same.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "core/job_file_check.hpp"
#include "core/job_file_format.hpp"
#include "core/job_file_reader.hpp"
#include "core/job_file_writer.hpp"
#include "tests/support/fake_services.hpp"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "job file reader: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace orvessa;
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const bool truncated = size > 0 && (data[0] & 1);

  // A file a run accepts names its sources by full paths.
  const bool accepted = JobFileProblem(bytes, truncated).empty();
  LoadedJob restored = ParseJobFile(bytes, LoadMode::Restore, truncated);
  for (const SourceEntry& entry : restored.Sources) {
    Check(!accepted || entry.Text().starts_with('/'), "an accepted source is not a full path");
  }
  LoadedJob first = ParseJobFile(bytes, LoadMode::Open, truncated);
  Check(first.Sources.size() <= static_cast<std::size_t>(job_file::kMaxEntries),
        "too many entries");

  BackupJob job;
  first.MergeInto(job);
  const LocalDateTime now{{2026, 12, 6}, {9, 5, 7}};
  auto written = SerializeJob(job, now, testing::FakeLocale());
  Check(written.has_value(), "a job that was read cannot be written");

  BackupJob again;
  ParseJobFile(*written, LoadMode::Open).MergeInto(again);
  again.LastRunTime = job.LastRunTime;
  again.LastRunDate = job.LastRunDate;
  Check(again == job, "a written job reads back differently");
  return 0;
}
