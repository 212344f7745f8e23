#include <gtest/gtest.h>
#include <iconv.h>

#include <vector>

#include "core/job_file_reader.hpp"
#include "core/job_file_writer.hpp"
#include "core/text_encoding.hpp"
#include "tests/support/fake_services.hpp"

namespace orvessa {
namespace {

using namespace testing;
using Strings = std::vector<std::string>;

// The host's own converter is the reference for every byte the code page defines.
TEST(Windows1252, AgreesWithTheHostConverterAndRefusesWhatItCannotHold) {
  iconv_t cd = iconv_open("UTF-8", "WINDOWS-1252");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  std::string all(1, '\0');
  for (int b = 1; b < 256; ++b) {
    all += static_cast<char>(b);
    if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) continue;
    char in[1] = {static_cast<char>(b)}, out[8] = {};
    char *in_at = in, *out_at = out;
    std::size_t in_left = 1, out_left = sizeof out;
    ASSERT_NE(iconv(cd, &in_at, &in_left, &out_at, &out_left), static_cast<std::size_t>(-1)) << b;
    EXPECT_EQ(Windows1252ToUtf8(std::string(1, in[0])), std::string(out, out_at)) << b;
  }
  iconv_close(cd);
  EXPECT_EQ(Utf8ToWindows1252(Windows1252ToUtf8(all)), all);
  EXPECT_EQ(Utf8ToWindows1252("Días € Ÿ"), "D\355as \200 \237");
  for (const char* text : {"Мир", "a日b", "\xF0\x9F\x98\x80", "Ł", "\xC3"}) {
    EXPECT_FALSE(Utf8ToWindows1252(text)) << text;
  }
  EXPECT_TRUE(IsValidUtf8("plain / \xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"));
  // Overlong forms, a surrogate, beyond U+10FFFF, cut short, stray bytes.
  for (const char* bad :
       {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xC3", "\x80", "\xFF"}) {
    EXPECT_FALSE(IsValidUtf8(bad)) << bad;
  }
}

// An entry as "text|kind|path|last component"; "-" when there is none.
std::string Shown(const std::optional<SourceEntry>& e) {
  if (!e) return "-";
  const char* kind = e->IsRootFolder() ? "root" : e->IsFolder() ? "folder" : "file";
  return e->Text() + "|" + kind + "|" + e->Path() + "|" + e->LastComponent();
}

// A file name ending in a star would read back as a folder entry; a line with a star
// but no slash before it names nothing addable.
TEST(SourceEntry, KeepsWhatReadsBackAsItselfAndRefusesTheRest) {
  const std::pair<std::optional<SourceEntry>, std::string> cases[] = {
      {SourceEntry::ForFolder("/home/ana/Cartas//"),
       "/home/ana/Cartas/*|folder|/home/ana/Cartas|Cartas"},
      {SourceEntry::ForFolder("/"), "/*|root|/|"},
      {SourceEntry::ForFolder("/data/stars*"), "/data/stars*/*|folder|/data/stars*|stars*"},
      {SourceEntry::ForFile("/home/ana/informe, final*1.txt"),
       "/home/ana/informe, final*1.txt|file|/home/ana/informe, final*1.txt|informe, final*1.txt"},
      {SourceEntry::ForFolder("/a/line\nbreak"), "-"},
      {SourceEntry::ForFolder("relative"), "-"},
      {SourceEntry::FromLine("/x/y/*"), "/x/y/*|folder|/x/y|y"},
      {SourceEntry::FromLine("/x/y.txt"), "/x/y.txt|file|/x/y.txt|y.txt"},
      {SourceEntry::FromLine("/x/notes*"), "-"},
      {SourceEntry::FromLine("*"), "-"},
      {SourceEntry::FromLine(""), "-"},
  };
  for (const auto& [entry, shown] : cases) EXPECT_EQ(Shown(entry), shown);
  for (const std::string& bad :
       Strings{"/home/ana/notes*", "/home/ana/*", "/a/line\nbreak", "/a/cr\rx",
               std::string("/a/nul\0x", 8), "/a/\377bad", "relative", "", "/", "/a/folder/"}) {
    EXPECT_FALSE(SourceEntry::ForFile(bad)) << bad;
  }
  EXPECT_EQ(JobFileIdentity::FromPath("/home/ana/.local/share/Orvessa/trabajo.cop").JobFileName,
            "trabajo.cop");
  EXPECT_EQ(JobFileIdentity::FromPath("bare.cop").JobFileName, "bare.cop");
}

const LocalDateTime kNow{{2026, 12, 6}, {9, 5, 7}};

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

LoadedJob Parse(const std::string& bytes, LoadMode mode = LoadMode::Open) {
  return ParseJobFile(bytes, mode);
}

std::string Serialize(const BackupJob& job) {
  return SerializeJob(job, kNow, FakeLocale()).value_or("<refused>");
}

BackupJob JobWithSources(int count, const std::string& stem) {
  BackupJob job;
  job.Destination = stem + "/dest";
  job.OverwriteAll = job.ManualOnly = true;
  job.CopiesToKeep = 3;
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

BackupJob ThreeSourceJob() {
  BackupJob job;
  job.Destination = "/media/usb/Copias";
  job.CopyMode = job.EveryN = true;
  job.CopiesToKeep = 5;
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

BackupJob RoundTrip(const BackupJob& job) {
  LoadedJob loaded = Parse(Serialize(job));
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
       Strings{"/home/ana/a, b, c", "/home/josé/Días €", "/home/山田/Д"}) {
    EXPECT_EQ(RoundTrip(JobWithSources(3, stem)), JobWithSources(3, stem)) << stem;
  }
  BackupJob many = JobWithSources(600, "/f");
  BackupJob back = RoundTrip(many);
  many.Sources.erase(many.Sources.begin() + 501, many.Sources.end());
  EXPECT_EQ(back, many) << "the first 501 of 600 sources";
}

TEST(JobFileWriter, WritesTheLineLayoutByteForByteInTheCodePageOrElseUtf8) {
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

  job = ThreeSourceJob();
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
  for (const std::string& destination : Strings{"/media/two\nlines", std::string("/nul\0x", 6),
                                                "/\xFF", "/" + std::string(70000, 'a')}) {
    bad.Destination = destination;
    EXPECT_FALSE(SaveJob(fs, path, bad, FakeClock(kNow), FakeLocale()));
  }
  fs.Fail(testing::FsOp::WriteFileAtomic, path, FsErrorKind::DiskFull);
  auto status = SaveJob(fs, path, ThreeSourceJob(), FakeClock(kNow), FakeLocale());
  ASSERT_FALSE(status);
  EXPECT_EQ(status.error().kind, FsErrorKind::DiskFull);
  EXPECT_EQ(fs.files[path], expected);
}

TEST(JobFileReader, ToleratesLineEndsLeadingBlanksAndAMissingLastLine) {
  std::string crlf = Fields("Falso", "Falso", " 1 ") + FileOf({"/a/*", ""});
  std::string lf = crlf;
  std::erase(lf, '\r');
  for (const auto& bytes : {crlf, lf, Fields("Falso", "Falso", " 1 ") + "/a/*", "   " + crlf}) {
    LoadedJob job = Parse(bytes);
    EXPECT_EQ(job.LastRunTime, "10:00:00");
    EXPECT_EQ(job.CopyMinute, 30);
    ASSERT_EQ(job.Sources.size(), 1u);
    EXPECT_EQ(job.Sources[0].Text(), "/a/*");
  }
}

TEST(JobFileReader, OpenAndRestoreDifferAsTheyShould) {
  // Hand-edited: manual, every-N and copy at shutdown all true, zero counts, no unit.
  std::string all_true = Fields("Verdadero", "Verdadero", " 0 ");
  LoadedJob open = Parse(all_true);
  EXPECT_TRUE(open.ManualOnly && open.EveryN) << "opening runs the every-N handler last";
  EXPECT_TRUE(open.CopyAtShutdown) << "which leaves the manual flag false for line 9";
  EXPECT_EQ(std::tuple(open.CopiesToKeep, open.IntervalCount, open.IntervalUnit),
            std::tuple(0, 0, ""));

  LoadedJob restore = Parse(all_true, LoadMode::Restore);
  EXPECT_TRUE(restore.ManualOnly);
  EXPECT_FALSE(restore.EveryN || restore.CopyAtShutdown);
  EXPECT_EQ(std::tuple(restore.CopiesToKeep, restore.IntervalCount, restore.IntervalUnit),
            std::tuple(1, 1, std::string(kUnitDays)));

  EXPECT_TRUE(Parse(Fields("Falso", "Verdadero", " 0 "), LoadMode::Restore).CopyAtShutdown);
  // Manual alone with line 9 true: copy at a time of day, opened or restored.
  for (LoadMode mode : {LoadMode::Open, LoadMode::Restore}) {
    EXPECT_FALSE(Parse(Fields("Verdadero", "Falso", " 0 "), mode).CopyAtShutdown);
  }
}

TEST(JobFileReader, AFileThatEndsEarlyLeavesTheRestUnreadAndFlagsFalse) {
  LoadedJob job =
      Parse(FileOf({"t", "d", "/dest", "Verdadero", "Falso", " 7 "}), LoadMode::Restore);
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
  // count + 1 lines: a last line that is not empty is taken.
  for (auto [count, read] :
       {std::pair{" 32767 ", 501u}, {" 99999 ", 501u}, {"-5 ", 0u}, {"abc", 0u}, {" 2 ", 3u}}) {
    EXPECT_EQ(Parse(Fields("Falso", "Falso", count) + entries).Sources.size(), read) << count;
  }
  LoadedJob job =
      Parse(Fields("Falso", "Falso", " 6 ") +
            FileOf({"/a.txt", "", "   ", "/a.txt", "/notes*", std::string("/n\0l", 4), "/b/*"}));
  ASSERT_EQ(job.Sources.size(), 2u);
  EXPECT_EQ(job.Sources[1].Text(), "/b/*");
}

TEST(JobFileReader, FlagsAreTrueOnlyAsVerdaderoAndIntegersOutsideSixteenBitsAreUnread) {
  for (const std::string& word : Strings{"True", "verdadero", "Verdadero ", ""}) {
    EXPECT_FALSE(Parse(FileOf({"t", "d", "/x", word})).OverwriteAll) << word;
  }
  EXPECT_TRUE(Parse(FileOf({"t", "d", "/x", " Verdadero"})).OverwriteAll);
  auto minute = [](const std::string& line) {
    return Parse(FileOf({"t", "d", "/x", "", "", "", "", "", "", "", "", "", line})).CopyMinute;
  };
  EXPECT_EQ(minute("-32768 "), -32768);
  EXPECT_EQ(minute("+32767"), 32767);
  EXPECT_EQ(minute("\t 007 \t"), 7);
  for (const std::string& bad :
       Strings{"32768", "-32769", std::string(5000, '9'), "abc", "5 x", "1.5", "", "-"}) {
    EXPECT_FALSE(minute(bad)) << bad;
  }
}

TEST(JobFileReader, DecodesTheCodePageOrUtf8AndNeverGuesses) {
  LoadedJob ansi = Parse(FileOf({"t", "d", "/m\351dia"}));
  EXPECT_EQ(ansi.encoding, JobFileEncoding::Windows1252);
  EXPECT_EQ(ansi.Destination, "/média");
  LoadedJob utf8 = Parse("\xEF\xBB\xBF" + FileOf({"t", "\xFF", "/山"}));
  EXPECT_EQ(utf8.encoding, JobFileEncoding::Utf8);
  EXPECT_EQ(utf8.LastRunTime, "t");
  EXPECT_FALSE(utf8.LastRunDate) << "invalid UTF-8 is unreadable";
  EXPECT_EQ(utf8.Destination, "/山");
}

TEST(JobFileReader, HugeLinesNulBytesAndCutOffLinesAreUnreadable) {
  LoadedJob job = Parse(FileOf({"t", "d", std::string("/").append(10 << 20, 'x'), "Verdadero",
                                std::string("Verdadero\0", 10), " 3 "}));
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
  for (int i = 0; i < 600; ++i) entries += "/" + std::string(60000, 'a') + std::to_string(i) + "\n";
  fs.files["/big.cop"] = Fields("Falso", "Falso", " 600 ") + entries + std::string(40 << 20, 'z');
  EXPECT_EQ(LoadJob(fs, "/big.cop", LoadMode::Open).Sources.size(), 501u);
}

}  // namespace
}  // namespace orvessa
