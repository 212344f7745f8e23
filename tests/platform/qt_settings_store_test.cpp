#include "platform/linux/qt_settings_store.hpp"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtGlobal>

#include "tests/support/file_helpers.hpp"

namespace orvessa {
namespace {

TEST(QtSettingsStore, UserFileLivesInTheConfigFolderAndKeysMatchWhateverTheirCase) {
  QTemporaryDir config;
  ASSERT_TRUE(config.isValid());
  const QByteArray old_home = qgetenv("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
  {
    QtSettingsStore store;
    store.Save("Settings", "LanguageBase", "2");
    EXPECT_EQ(store.FilePath(), config.path() + QStringLiteral("/Orvessa/Orvessa.conf"));
    EXPECT_TRUE(QFile::exists(store.FilePath()));
    EXPECT_EQ(QtSettingsStore().Get("settings", "languagebase", "-"), "2");
  }
  qputenv("XDG_CONFIG_HOME", old_home);
}

TEST(QtSettingsStore, HandWrittenSpellingIsReadAndUpdatedInPlace) {
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("Orvessa.conf"));
  testing::WriteText(path.toStdString(), "[settings]\nlanguagebase=3\nfolders=/a,/b\n");
  QtSettingsStore store(path);
  EXPECT_EQ(store.Get("Settings", "LanguageBase", "-"), "3");
  EXPECT_EQ(store.Get("SETTINGS", "Folders", "-"), "/a,/b");

  store.Save("Settings", "LANGUAGEBASE", "4");
  const QString text = QString::fromStdString(testing::ReadText(path.toStdString()));
  EXPECT_EQ(text.count(QRegularExpression(QStringLiteral("(?i)^languagebase="),
                                          QRegularExpression::MultilineOption)),
            1)
      << text.toStdString();
  EXPECT_EQ(text.count(QStringLiteral("[settings]"), Qt::CaseInsensitive), 1) << text.toStdString();
  EXPECT_EQ(QtSettingsStore(path).Get("settings", "languagebase", "-"), "4");
}

TEST(QtSettingsStore, MissingKeysGiveTheFallbackAndTextsStayUtf8) {
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("Orvessa.conf"));
  QtSettingsStore store(path);
  EXPECT_EQ(store.Get("Settings", "Nothing", "fallback"), "fallback");
  EXPECT_EQ(store.Get("Nowhere", "LanguageBase", ""), "");

  const std::string value = "/home/jürgen/Sicherung €, 日本";
  store.Save("Settings", "LastFolder", value);
  EXPECT_EQ(QtSettingsStore(path).Get("settings", "lastfolder", "-"), value);
}

}  // namespace
}  // namespace orvessa
