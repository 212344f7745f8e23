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

// Each case: the destination, the name typed, the text shown instead (0: none), the
// folder worked on and the destination after it.
struct FolderCase {
  std::string destination, name;
  int refused;
  std::string folder, after;
};

TEST_F(Editor, FolderCommandsWorkOnlyInsideTheDestination) {
  using text_id::kEraseNameMustMatch, text_id::kNewFolderName, text_id::kNoDestination;
  const auto check = [this](const std::vector<FolderCase>& cases, auto command) {
    for (const FolderCase& c : cases) {
      job.Destination = c.destination;
      const FolderCommand decided = (editor.*command)(c.name);
      EXPECT_EQ(decided.refused_text, c.refused) << c.destination << " " << c.name;
      EXPECT_EQ(decided.folder, c.folder);
      EXPECT_EQ(decided.destination_after, c.after);
    }
  };
  check({{"", "x", kNoDestination, "", ""},
         {"/mnt/b", "", kNewFolderName, "", ""},
         {"/mnt/b", ".", kNewFolderName, "", ""},
         {"/mnt/b", "..", kNewFolderName, "", ""},
         {"/mnt/b", "x/y", kNewFolderName, "", ""},
         {"/mnt/b", "x", 0, "/mnt/b/x", "/mnt/b/x"},
         {"/mnt/b/", "x", 0, "/mnt/b/x", "/mnt/b/x"},
         {"/", "x", 0, "/x", "/x"}},
        &JobEditor::NewFolder);
  check({{"", "b", kNoDestination, "", ""},
         {"/mnt/b", "", kEraseNameMustMatch, "", ""},
         {"/mnt/b", "mnt", kEraseNameMustMatch, "", ""},
         {"/mnt/b", "B", kEraseNameMustMatch, "", ""},
         {"/mnt/b/", "", kEraseNameMustMatch, "", ""},  // an empty name never erases
         {"/mnt/b", "b", 0, "/mnt/b", "/mnt/"}},
        &JobEditor::EraseFolder);
}

}  // namespace
}  // namespace orvessa
