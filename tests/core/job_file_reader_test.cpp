#include "core/job_file_reader.hpp"

#include <gtest/gtest.h>

#include "core/job_file_writer.hpp"
#include "platform/linux/posix_file_system.hpp"
#include "tests/support/fake_services.hpp"

namespace orvessa {
namespace {

using testing::FakeLocale;
using testing::MemoryFileSystem;

const LocalDateTime kNow{{2026, 12, 6}, {9, 5, 7}};

// A job file as the writer lays it out, lines given without their CR LF.
std::string FileOf(std::initializer_list<std::string> lines) {
  std::string bytes;
  for (const auto& line : lines) bytes += line + "\r\n";
  return bytes;
}

std::string StandardFields(const std::string& count) {
  return FileOf({"10:00:00", "01/12/2026", "/media/usb/Copias", "Verdadero", "Falso", " 3 ",
                 "Falso", "Verdadero", "Falso", " 4 ", "Semanas", " 21 ", " 30 ", " 99 ", " 0 ",
                 count});
}

BackupJob JobWithSources(int count, const std::string& stem = "/home/ana/file") {
  BackupJob job;
  job.Destination = "/media/usb/Copias, nuevas";
  job.OverwriteAll = true;
  job.CopiesToKeep = 3;
  job.ManualOnly = true;
  job.IntervalCount = 1;
  job.IntervalUnit = std::string(kUnitMonths);
  job.CopyHour = 23;
  job.CopyMinute = 59;
  job.LastRunOutcome = 1;
  for (int i = 0; i < count; ++i) {
    job.Sources.push_back(i % 2 ? *SourceEntry::ForFolder(stem + std::to_string(i))
                                : *SourceEntry::ForFile(stem + std::to_string(i) + ".txt"));
  }
  return job;
}

BackupJob RoundTrip(const BackupJob& job) {
  auto bytes = SerializeJob(job, kNow, FakeLocale());
  EXPECT_TRUE(bytes);
  LoadedJob loaded = ParseJobFile(bytes.value_or(""), LoadMode::Open);
  EXPECT_EQ(loaded.LastRunTime, "09:05:07");
  EXPECT_EQ(loaded.LastRunDate, "06/12/2026");
  BackupJob back;
  loaded.MergeInto(back);
  back.LastRunTime = job.LastRunTime;
  back.LastRunDate = job.LastRunDate;
  back.SelectedBytes = job.SelectedBytes;
  return back;
}

TEST(JobFileRoundTrip, GivesTheSameJobForSmallAndFullSelections) {
  for (int count : {0, 3, 501}) {
    BackupJob job = JobWithSources(count);
    EXPECT_EQ(RoundTrip(job), job) << count << " sources";
  }
}

TEST(JobFileRoundTrip, TakesTheFirst501OfMoreSources) {
  BackupJob job = JobWithSources(600);
  BackupJob back = RoundTrip(job);
  ASSERT_EQ(back.Sources.size(), 501u);
  job.Sources.erase(job.Sources.begin() + 501, job.Sources.end());
  EXPECT_EQ(back, job);
}

TEST(JobFileRoundTrip, KeepsCommasAccentsAndOtherScripts) {
  for (std::string stem : {std::string("/home/ana/a, b, c"),
                           std::string("/home/jos\xC3\xA9/D\xC3\xAD"
                                       "as \xE2\x82\xAC"),
                           std::string("/home/\xE5\xB1\xB1\xE7\x94\xB0/\xD0\x94\xD0\xB0"),
                           std::string("/home/ana/  blanks  ")}) {
    BackupJob job = JobWithSources(3, stem);
    job.Destination = stem + "/dest";
    EXPECT_EQ(RoundTrip(job), job) << stem;
  }
}

TEST(JobFileReader, ReadsEveryFieldOfAWrittenFile) {
  LoadedJob job =
      ParseJobFile(StandardFields(" 2 ") + FileOf({"/a/*", "/b.txt", ""}), LoadMode::Open);
  EXPECT_TRUE(job.file_read);
  EXPECT_EQ(job.LastRunTime, "10:00:00");
  EXPECT_EQ(job.LastRunDate, "01/12/2026");
  EXPECT_EQ(job.Destination, "/media/usb/Copias");
  EXPECT_TRUE(job.OverwriteAll);
  EXPECT_FALSE(job.CopyMode);
  EXPECT_EQ(job.CopiesToKeep, 3);
  EXPECT_TRUE(job.EveryN);
  EXPECT_EQ(job.IntervalCount, 4);
  EXPECT_EQ(job.IntervalUnit, "Semanas");
  EXPECT_EQ(job.CopyHour, 21);
  EXPECT_EQ(job.CopyMinute, 30);
  EXPECT_EQ(job.LastRunOutcome, 0);
  ASSERT_EQ(job.Sources.size(), 2u);
  EXPECT_EQ(job.Sources[0].Text(), "/a/*");
  EXPECT_EQ(job.Sources[1].Text(), "/b.txt");
}

TEST(JobFileReader, LineEndsLeadingBlanksAndAMissingLastLineAreTolerated) {
  std::string crlf = StandardFields(" 1 ") + FileOf({"/a/*", ""});
  std::string no_last_line = StandardFields(" 1 ") + "/a/*";
  std::string lf = crlf;
  for (std::size_t at; (at = lf.find("\r\n")) != std::string::npos;) lf.erase(at, 1);
  std::string blanks = "   10:00:00\r\n" + crlf.substr(10);
  for (const auto& bytes : {crlf, no_last_line, lf, blanks}) {
    LoadedJob job = ParseJobFile(bytes, LoadMode::Open);
    EXPECT_EQ(job.LastRunTime, "10:00:00");
    EXPECT_EQ(job.CopyMinute, 30);
    ASSERT_EQ(job.Sources.size(), 1u);
    EXPECT_EQ(job.Sources[0].Text(), "/a/*");
  }
}

TEST(JobFileReader, AFlagIsTrueOnlyWhenExactlyVerdadero) {
  for (std::string word : {"True", "verdadero", "VERDADERO", "Verdadero ", "1", "-1", ""}) {
    std::string bytes = FileOf({"t", "d", "/x", word});
    EXPECT_FALSE(ParseJobFile(bytes, LoadMode::Open).OverwriteAll) << word;
  }
  EXPECT_TRUE(ParseJobFile(FileOf({"t", "d", "/x", "  Verdadero"}), LoadMode::Open).OverwriteAll);
}

TEST(JobFileReader, AFileThatEndsEarlyLeavesTheRestUnread) {
  LoadedJob job = ParseJobFile(
      FileOf({"10:00:00", "01/12/2026", "/dest", "Verdadero", "Falso", " 7 "}), LoadMode::Restore);
  EXPECT_EQ(job.Destination, "/dest");
  EXPECT_TRUE(job.OverwriteAll);
  EXPECT_EQ(job.CopiesToKeep, 7);
  EXPECT_FALSE(job.ManualOnly);
  EXPECT_FALSE(job.EveryN);
  EXPECT_FALSE(job.IntervalCount);
  EXPECT_FALSE(job.IntervalUnit)
      << "unread is not empty: the restore rule for an empty unit does not apply";
  EXPECT_FALSE(job.CopyHour);
  EXPECT_FALSE(job.LastRunOutcome);
  EXPECT_TRUE(job.Sources.empty());

  LoadedJob empty = ParseJobFile("", LoadMode::Open);
  EXPECT_TRUE(empty.file_read);
  EXPECT_FALSE(empty.LastRunTime);
  EXPECT_FALSE(empty.Destination);
}

TEST(JobFileReader, RestoreMakesZeroCountsOneAndAnEmptyUnitDays) {
  std::string bytes = FileOf({"t", "d", "/x", "Falso", "Verdadero", " 0 ", "Falso", "Verdadero",
                              "Falso", " 0 ", "", " 1 ", " 2 ", " 0 ", " 0 ", " 0 ", ""});
  LoadedJob open = ParseJobFile(bytes, LoadMode::Open);
  EXPECT_EQ(open.CopiesToKeep, 0);
  EXPECT_EQ(open.IntervalCount, 0);
  EXPECT_EQ(open.IntervalUnit, "");
  LoadedJob restore = ParseJobFile(bytes, LoadMode::Restore);
  EXPECT_EQ(restore.CopiesToKeep, 1);
  EXPECT_EQ(restore.IntervalCount, 1);
  EXPECT_EQ(restore.IntervalUnit, std::string(kUnitDays));
}

TEST(JobFileReader, ManualOnlyWinsOnRestoreAndAlwaysOverCopyAtShutdown) {
  // Hand-edited: manual, every-N and copy at shutdown all true.
  std::string bytes = FileOf({"t", "d", "/x", "Falso", "Falso", " 2 ", "Verdadero", "Verdadero",
                              "Verdadero", " 1 ", "Meses", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", ""});
  LoadedJob open = ParseJobFile(bytes, LoadMode::Open);
  EXPECT_TRUE(open.ManualOnly);
  EXPECT_TRUE(open.EveryN) << "opening runs the every-N handler after the manual one";
  EXPECT_FALSE(open.CopyAtShutdown);
  LoadedJob restore = ParseJobFile(bytes, LoadMode::Restore);
  EXPECT_TRUE(restore.ManualOnly);
  EXPECT_FALSE(restore.EveryN);
  EXPECT_FALSE(restore.CopyAtShutdown);

  std::string scheduled = bytes;
  scheduled.replace(scheduled.find("Verdadero"), 9, "Falso");
  EXPECT_TRUE(ParseJobFile(scheduled, LoadMode::Restore).CopyAtShutdown);
}

TEST(JobFileReader, EntriesStopAt501AndFollowTheCount) {
  std::string entries;
  for (int i = 0; i < 700; ++i) entries += "/f" + std::to_string(i) + "\r\n";
  EXPECT_EQ(ParseJobFile(StandardFields(" 32767 ") + entries, LoadMode::Open).Sources.size(), 501u);
  EXPECT_EQ(ParseJobFile(StandardFields(" 99999 ") + entries, LoadMode::Open).Sources.size(), 501u);
  EXPECT_EQ(ParseJobFile(StandardFields("-5 ") + entries, LoadMode::Open).Sources.size(), 0u);
  EXPECT_EQ(ParseJobFile(StandardFields("abc") + entries, LoadMode::Open).Sources.size(), 0u);
  // The count is followed by count + 1 lines, so a last line that is not empty is taken.
  EXPECT_EQ(ParseJobFile(StandardFields(" 2 ") + entries, LoadMode::Open).Sources.size(), 3u);
}

TEST(JobFileReader, SkipsEmptyRepeatedAndMalformedEntries) {
  std::string bytes = StandardFields(" 6 ") + FileOf({"/a.txt", "", "   ", "/a.txt", "/notes*",
                                                      std::string("/n\0ul", 5), "/b/*"});
  LoadedJob job = ParseJobFile(bytes, LoadMode::Open);
  ASSERT_EQ(job.Sources.size(), 2u);
  EXPECT_EQ(job.Sources[0].Text(), "/a.txt");
  EXPECT_EQ(job.Sources[1].Text(), "/b/*");
}

TEST(JobFileReader, IntegerLinesOutsideSixteenBitsOrNotNumbersAreUnread) {
  auto minute = [](const std::string& line) {
    return ParseJobFile(FileOf({"t", "d", "/x", "Falso", "Falso", " 2 ", "Falso", "Falso", "Falso",
                                " 1 ", "Meses", " 0 ", line}),
                        LoadMode::Open)
        .CopyMinute;
  };
  EXPECT_EQ(minute(" 59 "), 59);
  EXPECT_EQ(minute("-32768 "), -32768);
  EXPECT_EQ(minute("32767"), 32767);
  EXPECT_EQ(minute("+7"), 7);
  EXPECT_EQ(minute("\t 007 \t"), 7);
  EXPECT_FALSE(minute("32768"));
  EXPECT_FALSE(minute("-32769"));
  EXPECT_FALSE(minute("99999"));
  EXPECT_FALSE(minute(std::string(5000, '9')));
  EXPECT_FALSE(minute("abc"));
  EXPECT_FALSE(minute("5 x"));
  EXPECT_FALSE(minute("1.5"));
  EXPECT_FALSE(minute(""));
  EXPECT_FALSE(minute("-"));
}

TEST(JobFileReader, TextLinesAreDecodedFromTheCodePageOrUtf8) {
  std::string ansi = FileOf({"t", "d",
                             "/m\xE9"
                             "dia",
                             "Falso", "Falso", " 2 ", "Falso", "Falso", "Falso", " 1 ",
                             "D\xED"
                             "as"});
  LoadedJob a = ParseJobFile(ansi, LoadMode::Open);
  EXPECT_EQ(a.encoding, JobFileEncoding::Windows1252);
  EXPECT_EQ(a.Destination,
            "/m\xC3\xA9"
            "dia");
  EXPECT_EQ(a.IntervalUnit, std::string(kUnitDays));

  std::string utf8 = "\xEF\xBB\xBF" + FileOf({"t", "d", "/\xE5\xB1\xB1", "Verdadero", "Falso",
                                              " 2 ", "Falso", "Falso", "Falso", " 1 ",
                                              "\xFF"
                                              "bad"});
  LoadedJob u = ParseJobFile(utf8, LoadMode::Open);
  EXPECT_EQ(u.encoding, JobFileEncoding::Utf8);
  EXPECT_EQ(u.LastRunTime, "t");
  EXPECT_EQ(u.Destination, "/\xE5\xB1\xB1");
  EXPECT_TRUE(u.OverwriteAll);
  EXPECT_FALSE(u.IntervalUnit) << "invalid UTF-8 is unreadable, never guessed";
}

TEST(JobFileReader, HugeLinesAndNulBytesAreUnreadableFieldsNotCrashes) {
  std::string bytes = FileOf({"t", "d", "/" + std::string(10 * 1024 * 1024, 'x'), "Verdadero",
                              std::string("Verdadero\0", 10), " 3 "});
  LoadedJob job = ParseJobFile(bytes, LoadMode::Open);
  EXPECT_FALSE(job.Destination);
  EXPECT_TRUE(job.OverwriteAll);
  EXPECT_FALSE(job.CopyMode);
  EXPECT_EQ(job.CopiesToKeep, 3);
  EXPECT_FALSE(ParseJobFile(FileOf({std::string("12\0:00", 6)}), LoadMode::Open).LastRunTime);
}

TEST(JobFileReader, ALineCutOffByTheReadLimitIsNotTaken) {
  std::string bytes = StandardFields(" 2 ") + FileOf({"/a/*"}) + "/home/ana/Documen";
  EXPECT_EQ(ParseJobFile(bytes, LoadMode::Open, /*truncated=*/false).Sources.size(), 2u);
  EXPECT_EQ(ParseJobFile(bytes, LoadMode::Open, /*truncated=*/true).Sources.size(), 1u);
}

TEST(LoadJob, AMissingFileReadsAsIfEveryLineFailed) {
  MemoryFileSystem fs;
  LoadedJob job = LoadJob(fs, "/nowhere/job.cop", LoadMode::Open);
  EXPECT_FALSE(job.file_read);
  EXPECT_FALSE(job.Destination);
  EXPECT_FALSE(job.OverwriteAll);
  EXPECT_TRUE(job.Sources.empty());

  BackupJob current = JobWithSources(2);
  job.MergeInto(current);
  EXPECT_EQ(current.Destination, "/media/usb/Copias, nuevas") << "unread fields keep their value";
  EXPECT_FALSE(current.OverwriteAll) << "flags read as false";
  EXPECT_FALSE(current.ManualOnly);
  EXPECT_TRUE(current.Sources.empty());
}

TEST(LoadJob, ReadsABigFileOnlyAsFarAsAReaderCanUseIt) {
  MemoryFileSystem fs;
  std::string entries;
  for (int i = 0; i < 600; ++i)
    entries += "/" + std::string(60000, 'a') + std::to_string(i) + "\r\n";
  fs.files["/big.cop"] = StandardFields(" 600 ") + entries + std::string(40 << 20, 'z');
  LoadedJob job = LoadJob(fs, "/big.cop", LoadMode::Open);
  EXPECT_EQ(job.Sources.size(), 501u);
  EXPECT_EQ(job.CopyMinute, 30);
}

}  // namespace
}  // namespace orvessa
