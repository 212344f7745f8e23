#include "core/job_file_writer.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/fake_services.hpp"

namespace orvessa {
namespace {

using namespace testing;

const LocalDateTime kNow{{2026, 12, 6}, {9, 5, 7}};

BackupJob ThreeSourceJob() {
  BackupJob job;
  job.Destination = "/media/usb/Copias";
  job.CopyMode = true;
  job.CopiesToKeep = 5;
  job.EveryN = true;
  job.IntervalCount = -32768;
  job.IntervalUnit = std::string(kUnitDays);
  job.CopyHour = 32767;
  job.CopyMinute = -1;
  job.SelectedBytes = 123456789.5;
  job.LastRunOutcome = 1;
  job.Sources = {*SourceEntry::ForFolder("/home/ana/Cartas"),
                 *SourceEntry::ForFile("/home/ana/informe.txt"), *SourceEntry::ForFolder("/")};
  return job;
}

std::string Serialize(const BackupJob& job) {
  return SerializeJob(job, kNow, FakeLocale()).value_or("<refused>");
}

TEST(JobFileWriter, WritesTheLineLayoutByteForByte) {
  EXPECT_EQ(Serialize(ThreeSourceJob()),
            "09:05:07\r\n06/12/2026\r\n/media/usb/Copias\r\n"
            "Falso\r\nVerdadero\r\n 5 \r\nFalso\r\nVerdadero\r\nFalso\r\n"
            "-32768 \r\nD\xED"
            "as\r\n 32767 \r\n-1 \r\n 123456790 \r\n 1 \r\n"
            " 3 \r\n/home/ana/Cartas/*\r\n/home/ana/informe.txt\r\n/*\r\n\r\n");
  // An empty selection: outcome, count 0, then the one empty line; 17 lines in all. The
  // byte total is a whole number with all its digits.
  BackupJob job;
  std::string empty = Serialize(job);
  EXPECT_TRUE(empty.ends_with("\r\n 0 \r\n 0 \r\n 0 \r\n\r\n")) << empty;
  EXPECT_EQ(std::count(empty.begin(), empty.end(), '\n'), 17);
  for (auto [value, line] :
       {std::pair{999999999999999.0, " 999999999999999 "}, std::pair{-0.2, " 0 "},
        std::pair{-42.0, "-42 "}, std::pair{std::numeric_limits<double>::infinity(), " 0 "}}) {
    job.SelectedBytes = value;
    EXPECT_TRUE(Has(Serialize(job), "\r\n 0 \r\n" + std::string(line) + "\r\n 0 \r\n")) << value;
  }
}

TEST(JobFileWriter, TextOutsideTheCodePageMakesTheWholeFileUtf8WithAMark) {
  BackupJob job = ThreeSourceJob();
  job.Sources.push_back(*SourceEntry::ForFile("/home/ana/Мир.txt"));
  std::string bytes = Serialize(job);
  EXPECT_TRUE(bytes.starts_with(std::string("\xEF\xBB\xBF") + "09:05:07\r\n"));
  EXPECT_TRUE(Has(bytes, "\r\nDías\r\n"));
  EXPECT_TRUE(Has(bytes, "\r\n/home/ana/Мир.txt\r\n"));
}

TEST(SaveJob, WritesTheJobStampedWithTheClockOrLeavesThePreviousFile) {
  MemoryFileSystem fs;
  const std::string path = "/jobs/a.cop";
  ASSERT_TRUE(
      SaveJob(fs, path, ThreeSourceJob(), FakeClock({{2027, 1, 2}, {23, 59, 58}}), FakeLocale()));
  std::string expected = Serialize(ThreeSourceJob());
  expected.replace(0, 20, "23:59:58\r\n02/01/2027");
  EXPECT_EQ(fs.files[path], expected);

  // Texts that would not read back as the same job are never written.
  BackupJob bad;
  for (const std::string& destination :
       std::vector<std::string>{"/media/two\nlines", std::string("/nul\0x", 6), "/\xFF",
                                "/" + std::string(70000, 'a')}) {
    bad.Destination = destination;
    EXPECT_FALSE(SaveJob(fs, path, bad, FakeClock(kNow), FakeLocale()));
  }
  fs.Fail(testing::FsOp::WriteFileAtomic, path, FsErrorKind::DiskFull);
  auto status = SaveJob(fs, path, ThreeSourceJob(), FakeClock(kNow), FakeLocale());
  ASSERT_FALSE(status);
  EXPECT_EQ(status.error().kind, FsErrorKind::DiskFull);
  EXPECT_EQ(fs.files[path], expected);
}

}  // namespace
}  // namespace orvessa
