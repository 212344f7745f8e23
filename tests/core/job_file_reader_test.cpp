#include "core/job_file_reader.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "core/job_file_writer.hpp"
#include "tests/support/fake_services.hpp"

namespace orvessa {
namespace {

using namespace testing;

// A job file with CR LF after every given line.
std::string FileOf(std::initializer_list<std::string> lines) {
  std::string bytes;
  for (const auto& line : lines) bytes += line + "\r\n";
  return bytes;
}

// Lines 1 to 16 with every field set; the entries follow.
std::string Fields(const std::string& manual, const std::string& every_n,
                   const std::string& count) {
  return FileOf({"10:00:00", "01/12/2026", "/media/usb/Copias", "Verdadero", "Falso", " 0 ", manual,
                 every_n, "Verdadero", " 0 ", "", " 21 ", " 30 ", " 99 ", " 0 ", count});
}

BackupJob JobWithSources(int count, const std::string& stem) {
  BackupJob job;
  job.Destination = stem + "/dest";
  job.OverwriteAll = true;
  job.CopiesToKeep = 3;
  job.ManualOnly = true;
  job.IntervalCount = 1;
  job.IntervalUnit = std::string(kUnitMonths);
  job.CopyMinute = 59;
  job.LastRunOutcome = 1;
  for (int i = 0; i < count; ++i) {
    job.Sources.push_back(i % 2 ? *SourceEntry::ForFolder(stem + std::to_string(i))
                                : *SourceEntry::ForFile(stem + std::to_string(i) + ".txt"));
  }
  return job;
}

BackupJob RoundTrip(const BackupJob& job) {
  auto bytes = SerializeJob(job, {{2026, 12, 6}, {9, 5, 7}}, FakeLocale());
  EXPECT_TRUE(bytes);
  LoadedJob loaded = ParseJobFile(bytes.value_or(""), LoadMode::Open);
  EXPECT_EQ(loaded.LastRunTime, "09:05:07");
  EXPECT_EQ(loaded.LastRunDate, "06/12/2026");
  BackupJob back;
  loaded.MergeInto(back);
  back.LastRunTime = job.LastRunTime;
  back.LastRunDate = job.LastRunDate;
  return back;
}

TEST(JobFileRoundTrip, GivesTheSameJobWhateverTheSourcesAndLetters) {
  for (int count : {0, 3, 501}) {
    EXPECT_EQ(RoundTrip(JobWithSources(count, "/home/ana/f")), JobWithSources(count, "/home/ana/f"))
        << count;
  }
  for (const std::string& stem :
       std::vector<std::string>{"/home/ana/a, b, c", "/home/josé/Días €", "/home/山田/Д"}) {
    EXPECT_EQ(RoundTrip(JobWithSources(3, stem)), JobWithSources(3, stem)) << stem;
  }
  BackupJob many = JobWithSources(600, "/f");
  BackupJob back = RoundTrip(many);
  many.Sources.erase(many.Sources.begin() + 501, many.Sources.end());
  EXPECT_EQ(back, many) << "the first 501 of 600 sources";
}

TEST(JobFileReader, ToleratesLineEndsLeadingBlanksAndAMissingLastLine) {
  std::string crlf = Fields("Falso", "Falso", " 1 ") + FileOf({"/a/*", ""});
  std::string lf = crlf;
  std::erase(lf, '\r');
  for (const auto& bytes : {crlf, lf, Fields("Falso", "Falso", " 1 ") + "/a/*", "   " + crlf}) {
    LoadedJob job = ParseJobFile(bytes, LoadMode::Open);
    EXPECT_EQ(job.LastRunTime, "10:00:00");
    EXPECT_EQ(job.CopyMinute, 30);
    ASSERT_EQ(job.Sources.size(), 1u);
    EXPECT_EQ(job.Sources[0].Text(), "/a/*");
  }
}

TEST(JobFileReader, OpenAndRestoreDifferAsTheyShould) {
  // Hand-edited: manual, every-N and copy at shutdown all true, zero counts, no unit.
  std::string all_true = Fields("Verdadero", "Verdadero", " 0 ");
  LoadedJob open = ParseJobFile(all_true, LoadMode::Open);
  EXPECT_TRUE(open.ManualOnly && open.EveryN) << "opening runs the every-N handler last";
  EXPECT_TRUE(open.CopyAtShutdown) << "which leaves the manual flag false for line 9";
  EXPECT_EQ(open.CopiesToKeep, 0);
  EXPECT_EQ(open.IntervalCount, 0);
  EXPECT_EQ(open.IntervalUnit, "");

  LoadedJob restore = ParseJobFile(all_true, LoadMode::Restore);
  EXPECT_TRUE(restore.ManualOnly);
  EXPECT_FALSE(restore.EveryN || restore.CopyAtShutdown);
  EXPECT_EQ(restore.CopiesToKeep, 1);
  EXPECT_EQ(restore.IntervalCount, 1);
  EXPECT_EQ(restore.IntervalUnit, std::string(kUnitDays));

  EXPECT_TRUE(ParseJobFile(Fields("Falso", "Verdadero", " 0 "), LoadMode::Restore).CopyAtShutdown);
  // Manual alone with line 9 true: copy at a time of day, opened or restored.
  for (LoadMode mode : {LoadMode::Open, LoadMode::Restore}) {
    EXPECT_FALSE(ParseJobFile(Fields("Verdadero", "Falso", " 0 "), mode).CopyAtShutdown);
  }
}

TEST(JobFileReader, AFileThatEndsEarlyLeavesTheRestUnreadAndFlagsFalse) {
  LoadedJob job =
      ParseJobFile(FileOf({"t", "d", "/dest", "Verdadero", "Falso", " 7 "}), LoadMode::Restore);
  EXPECT_EQ(job.Destination, "/dest");
  EXPECT_EQ(job.CopiesToKeep, 7);
  EXPECT_FALSE(job.ManualOnly || job.EveryN);
  EXPECT_FALSE(job.IntervalUnit) << "unread, so the restore rule for an empty unit does not apply";
  EXPECT_FALSE(job.CopyHour || job.LastRunOutcome);

  BackupJob current = JobWithSources(2, "/f");
  LoadedJob missing = LoadJob(MemoryFileSystem(), "/nowhere/job.cop", LoadMode::Open);
  EXPECT_FALSE(missing.file_read);
  missing.MergeInto(current);
  EXPECT_EQ(current.Destination, "/f/dest") << "unread fields keep their value";
  EXPECT_FALSE(current.OverwriteAll || current.ManualOnly) << "unread flags are false";
  EXPECT_TRUE(current.Sources.empty());
}

TEST(JobFileReader, EntriesFollowTheCountUpTo501AndSkipWhatCannotBeAnEntry) {
  std::string entries;
  for (int i = 0; i < 700; ++i) entries += "/f" + std::to_string(i) + "\r\n";
  auto count_of = [&](const std::string& count) {
    return ParseJobFile(Fields("Falso", "Falso", count) + entries, LoadMode::Open).Sources.size();
  };
  EXPECT_EQ(count_of(" 32767 "), 501u);
  EXPECT_EQ(count_of(" 99999 "), 501u);
  EXPECT_EQ(count_of("-5 "), 0u);
  EXPECT_EQ(count_of("abc"), 0u);
  EXPECT_EQ(count_of(" 2 "), 3u) << "count + 1 lines: a last line that is not empty is taken";

  LoadedJob job = ParseJobFile(
      Fields("Falso", "Falso", " 6 ") +
          FileOf({"/a.txt", "", "   ", "/a.txt", "/notes*", std::string("/n\0l", 4), "/b/*"}),
      LoadMode::Open);
  ASSERT_EQ(job.Sources.size(), 2u);
  EXPECT_EQ(job.Sources[1].Text(), "/b/*");
}

TEST(JobFileReader, FlagsAreTrueOnlyAsVerdaderoAndIntegersOutsideSixteenBitsAreUnread) {
  for (const std::string& word : std::vector<std::string>{"True", "verdadero", "Verdadero ", ""}) {
    EXPECT_FALSE(ParseJobFile(FileOf({"t", "d", "/x", word}), LoadMode::Open).OverwriteAll) << word;
  }
  EXPECT_TRUE(ParseJobFile(FileOf({"t", "d", "/x", " Verdadero"}), LoadMode::Open).OverwriteAll);

  auto minute = [](const std::string& line) {
    return ParseJobFile(FileOf({"t", "d", "/x", "", "", "", "", "", "", "", "", "", line}),
                        LoadMode::Open)
        .CopyMinute;
  };
  EXPECT_EQ(minute("-32768 "), -32768);
  EXPECT_EQ(minute("+32767"), 32767);
  EXPECT_EQ(minute("\t 007 \t"), 7);
  for (const std::string& bad : std::vector<std::string>{"32768", "-32769", std::string(5000, '9'),
                                                         "abc", "5 x", "1.5", "", "-"}) {
    EXPECT_FALSE(minute(bad)) << bad;
  }
}

TEST(JobFileReader, DecodesTheCodePageOrUtf8AndNeverGuesses) {
  LoadedJob ansi = ParseJobFile(FileOf({"t", "d", "/m\351dia"}), LoadMode::Open);
  EXPECT_EQ(ansi.encoding, JobFileEncoding::Windows1252);
  EXPECT_EQ(ansi.Destination, "/média");

  LoadedJob utf8 = ParseJobFile("\xEF\xBB\xBF" + FileOf({"t", "\xFF", "/山"}), LoadMode::Open);
  EXPECT_EQ(utf8.encoding, JobFileEncoding::Utf8);
  EXPECT_EQ(utf8.LastRunTime, "t");
  EXPECT_FALSE(utf8.LastRunDate) << "invalid UTF-8 is unreadable";
  EXPECT_EQ(utf8.Destination, "/山");
}

TEST(JobFileReader, HugeLinesNulBytesAndCutOffLinesAreUnreadable) {
  LoadedJob job = ParseJobFile(FileOf({"t", "d", std::string("/").append(10 << 20, 'x'),
                                       "Verdadero", std::string("Verdadero\0", 10), " 3 "}),
                               LoadMode::Open);
  EXPECT_FALSE(job.Destination);
  EXPECT_TRUE(job.OverwriteAll);
  EXPECT_FALSE(job.CopyMode);
  EXPECT_EQ(job.CopiesToKeep, 3);

  std::string cut = Fields("Falso", "Falso", " 2 ") + FileOf({"/a/*"}) + "/home/ana/Documen";
  EXPECT_EQ(ParseJobFile(cut, LoadMode::Open, /*truncated=*/false).Sources.size(), 2u);
  EXPECT_EQ(ParseJobFile(cut, LoadMode::Open, /*truncated=*/true).Sources.size(), 1u);

  // A file far larger than any job is read only as far as a reader can use it.
  MemoryFileSystem fs;
  std::string entries;
  for (int i = 0; i < 600; ++i)
    entries += std::string("/").append(60000, 'a') + std::to_string(i) + "\n";
  fs.files["/big.cop"] = Fields("Falso", "Falso", " 600 ") + entries + std::string(40 << 20, 'z');
  EXPECT_EQ(LoadJob(fs, "/big.cop", LoadMode::Open).Sources.size(), 501u);
}

}  // namespace
}  // namespace orvessa
