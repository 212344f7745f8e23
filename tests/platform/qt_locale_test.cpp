#include "platform/linux/qt_locale.hpp"

#include <gtest/gtest.h>

#include <cstdlib>

#include "core/job_file_reader.hpp"
#include "core/job_file_writer.hpp"
#include "core/text_encoding.hpp"

namespace orvessa {
namespace {

const LocalDateTime kMoments[] = {
    {{2026, 12, 6}, {9, 5, 7}},   {{2031, 1, 31}, {23, 59, 59}}, {{2000, 2, 29}, {0, 0, 0}},
    {{1999, 12, 31}, {12, 0, 1}}, {{2069, 7, 4}, {13, 30, 0}},
};

// What the scheduler relies on: the job file's date and time lines, written in the
// locale's formats, parse back to the moment they were written.
void ExpectJobFileStampRoundTrip(const QtLocale& locale) {
  for (const LocalDateTime& now : kMoments) {
    auto bytes = SerializeJob(BackupJob{}, now, locale);
    ASSERT_TRUE(bytes);
    LoadedJob job = ParseJobFile(*bytes, LoadMode::Restore);
    ASSERT_TRUE(job.LastRunDate && job.LastRunTime);
    EXPECT_EQ(locale.ParseShortDate(*job.LastRunDate), now.date) << *job.LastRunDate;
    EXPECT_EQ(locale.ParseTime(*job.LastRunTime), now.time) << *job.LastRunTime;
  }
}

class NamedLocale : public ::testing::TestWithParam<const char*> {};

TEST_P(NamedLocale, JobFileDateAndTimeReadBackWithFourDigitYears) {
  QtLocale locale{QLocale(QString::fromLatin1(GetParam()))};
  EXPECT_TRUE(locale.DateFormat().contains(QStringLiteral("yyyy")))
      << locale.DateFormat().toStdString();
  EXPECT_FALSE(locale.TimeFormat().contains(u't'));
  EXPECT_NE(locale.FormatShortDate({2069, 7, 4}).find("2069"), std::string::npos);
  ExpectJobFileStampRoundTrip(locale);
}

INSTANTIATE_TEST_SUITE_P(Languages, NamedLocale,
                         ::testing::Values("en_US", "de_DE", "es_ES", "fr_FR"));

TEST(QtLocaleFormats, ShowTheLocalesOwnDateOrderAndDigitGrouping) {
  QtLocale us{QLocale(QStringLiteral("en_US"))};
  QtLocale de{QLocale(QStringLiteral("de_DE"))};
  EXPECT_EQ(us.FormatShortDate({2026, 12, 6}), "12/6/2026");
  EXPECT_EQ(de.FormatShortDate({2026, 12, 6}), "06.12.2026");
  EXPECT_EQ(de.FormatTime({9, 5, 7}), "09:05:07");
  EXPECT_EQ(us.FormatWholeNumber(1234567), "1,234,567");
  EXPECT_EQ(de.FormatWholeNumber(1234567), "1.234.567");
  EXPECT_EQ(de.FormatWholeNumber(-1234), "-1.234");
  QtLocale es{QLocale(QStringLiteral("es_ES"))};
  EXPECT_EQ(es.FormatWholeNumber(1234), "1234");
  EXPECT_EQ(es.FormatWholeNumber(12345), "12.345");
  // Grouped with narrow no-break spaces.
  EXPECT_EQ(QtLocale{QLocale(QStringLiteral("fr_FR"))}.FormatWholeNumber(1234567),
            "1\u202F234\u202F567");
  EXPECT_FALSE(de.ParseShortDate("not a date"));
  EXPECT_FALSE(de.ParseShortDate(""));
}

TEST(QtLocaleFormats, WidensOnlyTwoDigitYearFields) {
  EXPECT_EQ(WidenYearToFourDigits(QStringLiteral("M/d/yy")), QStringLiteral("M/d/yyyy"));
  EXPECT_EQ(WidenYearToFourDigits(QStringLiteral("dd.MM.yyyy")), QStringLiteral("dd.MM.yyyy"));
  EXPECT_EQ(WidenYearToFourDigits(QStringLiteral("yy-MM-dd 'yy'")),
            QStringLiteral("yyyy-MM-dd 'yy'"));
  EXPECT_EQ(WithoutTimeZone(QStringLiteral("h:mm:ss AP t")), QStringLiteral("h:mm:ss AP"));
  EXPECT_EQ(WithoutTimeZone(QStringLiteral("tt HH:mm:ss")), QStringLiteral("HH:mm:ss"));
  EXPECT_EQ(WithoutTimeZone(QStringLiteral("H:mm:ss (t)")), QStringLiteral("H:mm:ss"));
}

// Run by CTest with LC_ALL set to each of the four languages.
TEST(SystemLocale, TheHostLocaleIsUsedAndReadsItsOwnDatesBack) {
  const char* expected = std::getenv("ORVESSA_EXPECT_LOCALE");
  if (!expected) GTEST_SKIP() << "run with LC_ALL set by CTest";
  EXPECT_EQ(QLocale::system().name().toStdString(), expected);
  ExpectJobFileStampRoundTrip(QtLocale());
}

}  // namespace
}  // namespace orvessa
