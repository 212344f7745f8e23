#include "core/source_entry.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "core/backup_job.hpp"

namespace orvessa {
namespace {

TEST(SourceEntry, FoldersRootAndFilesHaveTheirTextPathAndName) {
  auto folder = SourceEntry::ForFolder("/home/ana/Cartas//");
  ASSERT_TRUE(folder);
  EXPECT_EQ(folder->Text(), "/home/ana/Cartas/*");
  EXPECT_TRUE(folder->IsFolder());
  EXPECT_EQ(folder->Path(), "/home/ana/Cartas");
  EXPECT_EQ(folder->LastComponent(), "Cartas");

  auto root = SourceEntry::ForFolder("/");
  ASSERT_TRUE(root);
  EXPECT_EQ(root->Text(), "/*");
  EXPECT_TRUE(root->IsRootFolder());
  EXPECT_EQ(root->Path(), "/");
  EXPECT_EQ(root->LastComponent(), "");

  auto file = SourceEntry::ForFile("/home/ana/informe, final*1.txt");
  ASSERT_TRUE(file);
  EXPECT_FALSE(file->IsFolder());
  EXPECT_EQ(file->LastComponent(), "informe, final*1.txt");
  EXPECT_EQ(SourceEntry::ForFolder("/data/stars*")->Path(), "/data/stars*");
}

TEST(SourceEntry, RefusesWhatWouldReadBackAsSomethingElse) {
  // A file name ending in a star would read back as a folder entry.
  for (const std::string& bad : std::vector<std::string>{
           "/home/ana/notes*", "/home/ana/*", "/a/line\nbreak", "/a/cr\rx",
           std::string("/a/nul\0x", 8), "/a/\377bad", "relative", "", "/", "/a/folder/"}) {
    EXPECT_FALSE(SourceEntry::ForFile(bad)) << bad;
  }
  EXPECT_FALSE(SourceEntry::ForFolder("/a/line\nbreak"));
  EXPECT_FALSE(SourceEntry::ForFolder("relative"));
  // Lines of a job file: a star without the slash before it names nothing addable.
  EXPECT_TRUE(SourceEntry::FromLine("/x/y/*")->IsFolder());
  EXPECT_FALSE(SourceEntry::FromLine("/x/y.txt")->IsFolder());
  EXPECT_FALSE(SourceEntry::FromLine("/x/notes*"));
  EXPECT_FALSE(SourceEntry::FromLine("*"));
  EXPECT_FALSE(SourceEntry::FromLine(""));
}

TEST(JobFileIdentity, NameIsThePartAfterTheLastSlash) {
  auto id = JobFileIdentity::FromPath("/home/ana/.local/share/Orvessa/trabajo.cop");
  EXPECT_EQ(id.JobFileName, "trabajo.cop");
  EXPECT_EQ(JobFileIdentity::FromPath("bare.cop").JobFileName, "bare.cop");
}

}  // namespace
}  // namespace orvessa
