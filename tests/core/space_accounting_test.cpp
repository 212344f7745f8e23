#include "core/space_accounting.hpp"

#include <gtest/gtest.h>
#include <sys/statvfs.h>

#include "tests/support/fake_services.hpp"
#include "tests/support/run_fakes.hpp"

namespace orvessa {
namespace {

using namespace testing;

TEST(SpaceFigures, KilobytesRoundEqualFiguresDoNotFitTheNetworkAlwaysFitsRootIsCopiedAsRoot) {
  testing::FakeLocale locale;
  EXPECT_EQ(FormatKilobytes(499, locale), "0 KB");
  EXPECT_EQ(FormatKilobytes(1234567890, locale), "1234568 KB");
  EXPECT_EQ(FormatKilobytes(-2500, locale), "-3 KB");
  EXPECT_TRUE(InsufficientSpace(100, 100, "/backup"));
  EXPECT_FALSE(InsufficientSpace(99, 100, "/backup"));
  EXPECT_FALSE(InsufficientSpace(1e12, 0, std::string(kNetworkDrive)));
  EXPECT_EQ(CopyNameOf(*SourceEntry::ForFolder("/")), "root");
  EXPECT_EQ(CopyNameOf(*SourceEntry::ForFolder("/media/usb")), "usb");
  EXPECT_EQ(CopyNameOf(*SourceEntry::ForFile("/a/b.txt")), "b.txt");
}

class Space : public ::testing::Test {
 protected:
  Space() : space(job, fs, locale, view, testing::EnglishText) {}

  static double FreeOnDisk(const std::string& path) {
    struct statvfs st {};
    statvfs(path.c_str(), &st);
    return static_cast<double>(st.f_bavail) * static_cast<double>(st.f_frsize);
  }

  TempFolder tmp;
  BackupJob job;
  PosixFileSystem fs;
  testing::FakeLocale locale;
  testing::RecordingSpaceView view;
  SpaceAccounting space;
};

TEST_F(Space, FilesAddAndSubtractTheirCurrentSizeAndRootItsDrivesUsedSpace) {
  WriteText(tmp / "a.bin", std::string(3000, 'a'));
  space.AddFileSize(tmp / "a.bin");
  space.AddFileSize(tmp / "a.bin");
  EXPECT_EQ(job.SelectedBytes, 6000);
  EXPECT_EQ(view.LabelText(Control::Label9), "6 KB");

  WriteText(tmp / "a.bin", std::string(7000, 'a'));  // grew since it was added
  space.SubtractFileSize(tmp / "a.bin");
  EXPECT_EQ(job.SelectedBytes, -1000);
  space.SubtractFileSize(tmp / "missing.bin");
  EXPECT_EQ(job.SelectedBytes, -1000);
  EXPECT_EQ(view.LabelText(Control::Label9), "-1 KB");

  // A folder entry's text loses its mark and adds the tree.
  WriteText(tmp / "docs/a.txt", std::string(1500, 'a'));
  WriteText(tmp / "docs/sub/b.txt", std::string(2500, 'b'));
  std::string text = tmp / "docs/*";
  space.AddFolderSize(text);
  EXPECT_EQ(text, tmp / "docs");
  EXPECT_EQ(job.SelectedBytes, 3000);
  space.SubtractFolderSize(tmp / "docs");
  EXPECT_EQ(job.SelectedBytes, -1000);

  // A mounted volume needs what is on it, not what it could hold.
  job.SelectedBytes = 0;
  text = "/*";
  space.AddFolderSize(text);
  struct statvfs st {};
  statvfs("/", &st);
  const double block = static_cast<double>(st.f_frsize);
  EXPECT_NEAR(job.SelectedBytes, static_cast<double>(st.f_blocks - st.f_bfree) * block, 100e6);
  EXPECT_LT(job.SelectedBytes, static_cast<double>(st.f_blocks) * block);
}

TEST_F(Space, DestinationsFreeSpaceIsMeasuredTheNetworkIsNotAndAMissingOneIsForgotten) {
  // A copy the run replaces stays until the new one is complete: its space is not free.
  // Sparse, so the figures stand out from whatever else the disk is doing.
  const std::string dest = tmp / "backup";
  WriteText(dest + "/docs/old.txt", "");
  std::filesystem::resize_file(dest + "/docs/old.txt", 1'000'000'000);
  WriteText(dest + "/notes.txt", "");  // a file entry's copy: not counted
  std::filesystem::resize_file(dest + "/notes.txt", 3'000'000'000);
  job.Sources = {*SourceEntry::ForFolder("/elsewhere/docs"), *SourceEntry::ForFile("/x/notes.txt"),
                 *SourceEntry::ForFolder("/elsewhere/absent")};
  job.Destination = dest;
  space.CheckDestinationSpace();
  EXPECT_EQ(space.DestinationDrive, dest);
  EXPECT_NEAR(space.FreeBytes, FreeOnDisk(dest), 100'000'000);
  EXPECT_EQ(view.LabelText(Control::Label21), FormatKilobytes(space.FreeBytes, locale));

  // The network is free of checks but shown short; locally the colours follow the figures.
  job.Destination = "//server/share";
  view.labels[Control::Label7] = "kept";
  view.labels[Control::Label9] = "5 KB";
  job.SelectedBytes = 5000;
  space.ShowCopyTabSpace(2);
  EXPECT_EQ(space.DestinationDrive, kNetworkDrive);
  EXPECT_EQ(space.FreeBytes, 0);
  EXPECT_EQ(view.LabelText(Control::Label7), "kept");
  EXPECT_EQ(view.LabelText(Control::Label19), "5 KB");
  EXPECT_EQ(view.colours[Control::Label21], kColourShortOfSpace);
  EXPECT_TRUE(view.messages.empty());
  job.Destination = tmp.path().string();
  job.SelectedBytes = 1;
  space.ShowCopyTabSpace(2);
  EXPECT_EQ(view.colours[Control::Label21], kColourEnoughSpace);
  job.SelectedBytes = FreeOnDisk(tmp.path().string()) * 2;
  space.ShowCopyTabSpace(2);
  EXPECT_EQ(view.colours[Control::Label20], kColourShortOfSpace);

  job.Destination = tmp / "unplugged";
  view.labels[Control::Label5] = job.Destination;
  space.FreeBytes = 99;
  space.ShowCopyTabSpace(1);
  EXPECT_EQ(view.messages, std::vector<std::string>{"Destination drive is not ready."});
  EXPECT_EQ(view.LabelText(Control::Label5), "");
  EXPECT_EQ(job.Destination, "");
  EXPECT_EQ(space.FreeBytes, 0);
}

}  // namespace
}  // namespace orvessa
