#include "core/source_entry.hpp"

#include <gtest/gtest.h>

namespace orvessa {
namespace {

TEST(SourceEntry, FolderEntryIsThePathFollowedBySlashStar) {
  auto entry = SourceEntry::ForFolder("/home/ana/Cartas");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->Text(), "/home/ana/Cartas/*");
  EXPECT_TRUE(entry->IsFolder());
  EXPECT_FALSE(entry->IsRootFolder());
  EXPECT_EQ(entry->Path(), "/home/ana/Cartas");
  EXPECT_EQ(entry->LastComponent(), "Cartas");
  EXPECT_EQ(SourceEntry::ForFolder("/home/ana/Cartas//"), entry) << "trailing slashes";
}

TEST(SourceEntry, RootFolderEntryIsSlashStarWithPathSlash) {
  auto root = SourceEntry::ForFolder("/");
  ASSERT_TRUE(root);
  EXPECT_EQ(root->Text(), "/*");
  EXPECT_TRUE(root->IsFolder());
  EXPECT_TRUE(root->IsRootFolder());
  EXPECT_EQ(root->Path(), "/");
  EXPECT_EQ(root->LastComponent(), "");
  EXPECT_EQ(SourceEntry::ForFolder("//"), root);
}

TEST(SourceEntry, FileEntryIsTheFullPath) {
  auto file = SourceEntry::ForFile("/home/ana/informe, final.txt");
  ASSERT_TRUE(file);
  EXPECT_FALSE(file->IsFolder());
  EXPECT_EQ(file->Path(), "/home/ana/informe, final.txt");
  EXPECT_EQ(file->LastComponent(), "informe, final.txt");
  // A star inside a name is harmless; only the last character tells the kind.
  EXPECT_TRUE(SourceEntry::ForFile("/data/a*b.txt"));
  EXPECT_TRUE(SourceEntry::ForFolder("/data/stars*"));
  EXPECT_EQ(SourceEntry::ForFolder("/data/stars*")->Path(), "/data/stars*");
}

TEST(SourceEntry, AFileNameEndingInStarCannotBeAdded) {
  EXPECT_FALSE(SourceEntry::ForFile("/home/ana/notes*"));
  EXPECT_FALSE(SourceEntry::ForFile("/home/ana/*"));
}

TEST(SourceEntry, PathsAJobFileLineCannotHoldAreRefused) {
  for (std::string bad :
       {std::string("/a/line\nbreak"), std::string("/a/cr\rx"), std::string("/a/nul\0x", 8),
        std::string("/a/\xFF"
                    "bad"),
        std::string("relative/path"), std::string(""), std::string("/"),
        std::string("/a/folder/")}) {
    EXPECT_FALSE(SourceEntry::ForFile(bad)) << bad;
  }
  EXPECT_FALSE(SourceEntry::ForFolder("/a/line\nbreak"));
  EXPECT_FALSE(SourceEntry::ForFolder("relative"));
  EXPECT_FALSE(SourceEntry::ForFolder(""));
}

TEST(SourceEntry, LinesFromAJobFileAreClassifiedByTheirLastCharacter) {
  EXPECT_TRUE(SourceEntry::FromLine("/x/y/*")->IsFolder());
  EXPECT_TRUE(SourceEntry::FromLine("/*")->IsRootFolder());
  EXPECT_FALSE(SourceEntry::FromLine("/x/y.txt")->IsFolder());
  // Ends in a star without the slash: neither a folder entry nor an addable file.
  EXPECT_FALSE(SourceEntry::FromLine("/x/notes*"));
  EXPECT_FALSE(SourceEntry::FromLine("*"));
  EXPECT_FALSE(SourceEntry::FromLine(""));
}

}  // namespace
}  // namespace orvessa
