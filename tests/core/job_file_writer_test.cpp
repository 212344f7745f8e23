#include "core/job_file_writer.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/linux/posix_file_system.hpp"
#include "tests/support/fake_services.hpp"

namespace orvessa {
namespace {

using testing::FakeClock;
using testing::FakeLocale;
using testing::MemoryFileSystem;
using testing::TempFolder;

const LocalDateTime kNow{{2026, 12, 6}, {9, 5, 7}};

SourceEntry Folder(const std::string& path) { return *SourceEntry::ForFolder(path); }
SourceEntry File(const std::string& path) { return *SourceEntry::ForFile(path); }

BackupJob ThreeSourceJob() {
  BackupJob job;
  job.Destination = "/media/usb/Copias";
  job.CopyMode = true;
  job.CopiesToKeep = 5;
  job.EveryN = true;
  job.IntervalCount = 2;
  job.IntervalUnit = std::string(kUnitDays);
  job.CopyHour = 9;
  job.CopyMinute = -1;
  job.SelectedBytes = 123456789;
  job.LastRunOutcome = 1;
  job.Sources = {Folder("/home/ana/Cartas"), File("/home/ana/informe.txt"), Folder("/")};
  return job;
}

std::string Serialize(const BackupJob& job) {
  auto bytes = SerializeJob(job, kNow, FakeLocale());
  EXPECT_TRUE(bytes.has_value());
  return bytes.value_or("");
}

TEST(JobFileWriter, WritesTheLineLayoutByteForByte) {
  EXPECT_EQ(Serialize(ThreeSourceJob()),
            "09:05:07\r\n"
            "06/12/2026\r\n"
            "/media/usb/Copias\r\n"
            "Falso\r\n"
            "Verdadero\r\n"
            " 5 \r\n"
            "Falso\r\n"
            "Verdadero\r\n"
            "Falso\r\n"
            " 2 \r\n"
            "D\xED"
            "as\r\n"
            " 9 \r\n"
            "-1 \r\n"
            " 123456789 \r\n"
            " 1 \r\n"
            " 3 \r\n"
            "/home/ana/Cartas/*\r\n"
            "/home/ana/informe.txt\r\n"
            "/*\r\n"
            "\r\n");
}

TEST(JobFileWriter, EmptySelectionGivesCountZeroAndOneEmptyLine) {
  std::string bytes = Serialize(BackupJob{});
  const std::string tail = " 0 \r\n 0 \r\n\r\n";  // outcome, count, the empty last line
  ASSERT_GE(bytes.size(), tail.size());
  EXPECT_EQ(bytes.substr(bytes.size() - tail.size()), tail);
  std::size_t lines = 0;
  for (std::size_t at = 0; (at = bytes.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
  EXPECT_EQ(lines, 17u);
}

TEST(JobFileWriter, ByteTotalIsAWholeNumberWithAllItsDigits) {
  BackupJob job;
  for (auto [value, line] : {std::pair{999999999999999.0, " 999999999999999 \r\n"},
                             std::pair{1536.4, " 1536 \r\n"}, std::pair{1536.5, " 1537 \r\n"},
                             std::pair{-0.2, " 0 \r\n"}, std::pair{-42.0, "-42 \r\n"}}) {
    job.SelectedBytes = value;
    EXPECT_NE(Serialize(job).find("\r\n 0 \r\n" + std::string(line)), std::string::npos) << value;
  }
  job.SelectedBytes = std::numeric_limits<double>::quiet_NaN();
  EXPECT_NE(Serialize(job).find("\r\n 0 \r\n 0 \r\n"), std::string::npos);
}

TEST(JobFileWriter, IntegerLinesCoverTheWholeSixteenBitRange) {
  BackupJob job;
  job.CopiesToKeep = 32767;
  job.IntervalCount = -32768;
  std::string bytes = Serialize(job);
  EXPECT_NE(bytes.find("\r\n 32767 \r\nFalso\r\n"), std::string::npos);
  EXPECT_NE(bytes.find("\r\n-32768 \r\n"), std::string::npos);
}

TEST(JobFileWriter, TextOutsideTheCodePageIsWrittenAsUtf8WithAByteOrderMark) {
  BackupJob job = ThreeSourceJob();
  job.Sources.push_back(File("/home/ana/\xD0\x9C\xD0\xB8\xD1\x80.txt"));  // Cyrillic
  std::string bytes = Serialize(job);
  ASSERT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_NE(bytes.find("D\xC3\xAD"
                       "as\r\n"),
            std::string::npos)
      << "every text is UTF-8 then";
  EXPECT_NE(bytes.find("/home/ana/\xD0\x9C\xD0\xB8\xD1\x80.txt\r\n"), std::string::npos);
  EXPECT_EQ(bytes.find('?'), std::string::npos);
}

TEST(JobFileWriter, RefusesTextsThatWouldNotReadBackAsTheSameJob) {
  BackupJob job;
  job.Destination = "/media/two\nlines";
  EXPECT_FALSE(SerializeJob(job, kNow, FakeLocale()));
  job.Destination = std::string("/media/nul\0x", 12);
  EXPECT_FALSE(SerializeJob(job, kNow, FakeLocale()));
  job.Destination = "/media/\xFF";
  EXPECT_FALSE(SerializeJob(job, kNow, FakeLocale()));
  job.Destination = "/" + std::string(70000, 'a');
  EXPECT_FALSE(SerializeJob(job, kNow, FakeLocale()));
}

TEST(SaveJob, StampsTheFileWithTheClockAndReplacesAnExistingFile) {
  TempFolder folder;
  PosixFileSystem fs;
  const std::string path = folder / "trabajo.cop";
  { std::ofstream(path) << "old contents that are much longer than nothing"; }
  FakeClock clock({{2027, 1, 2}, {23, 59, 58}});
  ASSERT_TRUE(SaveJob(fs, path, ThreeSourceJob(), clock, FakeLocale()));
  std::stringstream read;
  read << std::ifstream(path, std::ios::binary).rdbuf();
  EXPECT_EQ(read.str().substr(0, 22), "23:59:58\r\n02/01/2027\r\n");
  EXPECT_EQ(read.str().size(), Serialize(ThreeSourceJob()).size());
}

TEST(SaveJob, AFailedSaveReportsTheFailureAndKeepsThePreviousFile) {
  MemoryFileSystem fs;
  fs.files["/jobs/a.cop"] = "previous";
  fs.fail_writes = FsError{FsErrorKind::DiskFull, ENOSPC, "/jobs/a.cop"};
  auto status = SaveJob(fs, "/jobs/a.cop", ThreeSourceJob(), FakeClock(kNow), FakeLocale());
  ASSERT_FALSE(status);
  EXPECT_EQ(status.error().kind, FsErrorKind::DiskFull);
  EXPECT_EQ(fs.files["/jobs/a.cop"], "previous");

  fs.fail_writes.reset();
  BackupJob bad;
  bad.Destination = "a\nb";
  EXPECT_FALSE(SaveJob(fs, "/jobs/a.cop", bad, FakeClock(kNow), FakeLocale()));
  EXPECT_EQ(fs.files["/jobs/a.cop"], "previous") << "nothing written for an unwritable job";
}

}  // namespace
}  // namespace orvessa
