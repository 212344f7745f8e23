#include "core/job_editor.hpp"

#include <gtest/gtest.h>

#include "i18n/text_ids.hpp"
#include "platform/linux/posix_file_system.hpp"
#include "tests/support/file_helpers.hpp"

namespace orvessa {
namespace {

using testing::TempFolder;
using testing::WriteText;
using Names = std::vector<std::string>;

class Editor : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteText(dir + "/a.txt", "aaaa");
    WriteText(dir + "/b.txt", "bb");
    WriteText(dir + "/c.txt", "c");
  }
  Names Listed() const {
    Names lines;
    for (const SourceEntry& entry : job.Sources) lines.push_back(entry.Text());
    return lines;
  }

  TempFolder tmp;
  const std::string dir = tmp.path().string();
  PosixFileSystem fs;
  BackupJob job;
  JobEditor editor{job, fs};
};

// Files are added in list order with their sizes; the first one that is listed already,
// cannot be an entry or is not there ends the adding, whatever follows it.
TEST_F(Editor, FilesAreAddedUntilTheFirstThatCannotBe) {
  struct Case {
    Names names;
    Names listed;
    double bytes;
  };
  const Case cases[] = {
      {{"a.txt", "b.txt"}, {"/a.txt", "/b.txt"}, 6},
      {{"a.txt", "a.txt", "c.txt"}, {"/a.txt"}, 4},  // listed already
      {{"gone.txt", "c.txt"}, {}, 0},                // not there
      {{"b.txt", "star*", "c.txt"}, {"/b.txt"}, 2},  // no entry ends in "*"
      {{}, {}, 0},
  };
  for (const Case& c : cases) {
    job = {};
    const auto added = editor.AddFiles(dir, c.names);
    Names expected;
    for (const std::string& name : c.listed) expected.push_back(dir + name);
    EXPECT_EQ(Listed(), expected) << ::testing::PrintToString(c.names);
    EXPECT_EQ(added.size(), expected.size());
    EXPECT_EQ(job.SelectedBytes, c.bytes);
  }
  // A second add of the same files adds nothing, also not their bytes.
  job = {};
  editor.AddFiles(dir, {"a.txt"});
  EXPECT_TRUE(editor.AddFiles(dir, {"a.txt", "b.txt"}).empty());
  EXPECT_EQ(job.SelectedBytes, 4);
}

TEST_F(Editor, FoldersAreListedOnceAndRowsRemovedByPosition) {
  EXPECT_EQ(editor.AddFolder(dir)->Text(), dir + "/*");
  EXPECT_FALSE(editor.AddFolder(dir + "/"));  // the same folder
  EXPECT_EQ(editor.AddFolder("/")->Text(), "/*");
  EXPECT_FALSE(editor.AddFolder("relative/folder"));
  editor.AddFiles(dir, {"c.txt"});
  EXPECT_EQ(Listed(), (Names{dir + "/*", "/*", dir + "/c.txt"}));

  EXPECT_FALSE(editor.RemoveAt(-1));
  EXPECT_FALSE(editor.RemoveAt(3));
  EXPECT_EQ(editor.RemoveAt(1)->Text(), "/*");
  EXPECT_EQ(Listed(), (Names{dir + "/*", dir + "/c.txt"}));
  // Taken out, it can be added again.
  EXPECT_TRUE(editor.AddFolder("/"));
  editor.RemoveAll();
  EXPECT_TRUE(job.Sources.empty());
  EXPECT_EQ(job.SelectedBytes, 0);
}

TEST_F(Editor, FolderCommandsWorkOnlyInsideTheDestination) {
  struct Case {
    std::string destination;
    std::string name;
    int refused;
    std::string folder;
  };
  const Case new_folder[] = {
      {"", "x", text_id::kNoDestination, ""},
      {"/mnt/b", "", text_id::kNewFolderName, ""},
      {"/mnt/b", ".", text_id::kNewFolderName, ""},
      {"/mnt/b", "..", text_id::kNewFolderName, ""},
      {"/mnt/b", "x/y", text_id::kNewFolderName, ""},
      {"/mnt/b", "x", 0, "/mnt/b/x"},
      {"/mnt/b/", "x", 0, "/mnt/b/x"},
      {"/", "x", 0, "/x"},
  };
  for (const Case& c : new_folder) {
    job.Destination = c.destination;
    const FolderCommand made = editor.NewFolder(c.name);
    EXPECT_EQ(made.refused_text, c.refused) << c.destination << " " << c.name;
    EXPECT_EQ(made.folder, c.folder);
    EXPECT_EQ(made.destination_after, c.folder);
  }
  const Case erase[] = {
      {"", "b", text_id::kNoDestination, ""},
      {"/mnt/b", "", text_id::kEraseNameMustMatch, ""},
      {"/mnt/b", "mnt", text_id::kEraseNameMustMatch, ""},
      {"/mnt/b", "B", text_id::kEraseNameMustMatch, ""},
      {"/mnt/b", "b", 0, "/mnt/"},
  };
  for (const Case& c : erase) {
    job.Destination = c.destination;
    const FolderCommand erased = editor.EraseFolder(c.name);
    EXPECT_EQ(erased.refused_text, c.refused) << c.destination << " " << c.name;
    EXPECT_EQ(erased.destination_after, c.folder);
    EXPECT_EQ(erased.folder, c.refused == 0 ? c.destination : std::string());
  }
}

}  // namespace
}  // namespace orvessa
