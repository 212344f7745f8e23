#include "core/copy_verification.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "platform/linux/posix_file_system.hpp"
#include "tests/support/file_helpers.hpp"

namespace orvessa {
namespace {

using namespace testing;

// Offers `count` files named /src/<n> copied to /copy/<n>; returns the chosen numbers.
std::set<int> ChosenOf(CopySample& sample, int count) {
  for (int n = 0; n < count; ++n) {
    const std::string name = std::to_string(n);
    sample.Offer({"/src/" + name, "/copy/" + name, 1, 2, false});
  }
  std::set<int> chosen;
  for (const SampledFile& file : sample.Chosen()) {
    EXPECT_EQ(file.to, "/copy/" + file.from.substr(5));
    chosen.insert(std::stoi(file.from.substr(5)));
  }
  EXPECT_EQ(chosen.size(), sample.Chosen().size()) << "each file once";
  return chosen;
}

TEST(CopySample, EveryFileUpTo200ThenAUniformHundredthOfAtLeast200) {
  CopySample few(false, 1);
  EXPECT_EQ(ChosenOf(few, 150).size(), 150u);

  CopySample some(false, 2);
  const std::set<int> chosen = ChosenOf(some, 5000);
  EXPECT_EQ(chosen.size(), 200u);
  // Spread over all of them, not the first ones.
  EXPECT_GT(*chosen.rbegin(), 4000);
  EXPECT_LT(*chosen.begin(), 1000);

  CopySample many(false, 3);
  const std::size_t hundredth = ChosenOf(many, 100'000).size();
  EXPECT_GT(hundredth, 850u);
  EXPECT_LT(hundredth, 1150u);

  CopySample all(true, 4);
  EXPECT_EQ(ChosenOf(all, 3000).size(), 3000u);
}

TEST(CopySample, FollowsCopiesThatMoveAndForgetsDeletedOnes) {
  CopySample sample(true, 1);
  sample.Offer({"/s/a", "/d/.Docs.orvessa-new/a", 1, 1, false});
  sample.Offer({"/s/b", "/d/.Docs.orvessa-new-2/b", 1, 1, true});
  sample.Offer({"/t/c", "/d/Other/c", 1, 1, false});
  sample.Moved("/d/.Docs.orvessa-new", "/d/Docs");
  sample.Dropped("/d/Other");
  ASSERT_EQ(sample.Chosen().size(), 2u);
  EXPECT_EQ(sample.Chosen()[0].to, "/d/Docs/a");
  EXPECT_EQ(sample.Chosen()[1].to, "/d/.Docs.orvessa-new-2/b");
}

TEST(CompareWithSources, SortsEqualDifferentMissingAndChangedSources) {
  testing::TempFolder tmp;
  PosixFileSystem fs;
  auto stamp = [&](const std::string& path) { return fs.Stamp(path).value(); };
  std::vector<SampledFile> files;
  auto pair = [&](const std::string& name, const std::string& source, const std::string& copy) {
    WriteText(tmp / ("s/" + name), source);
    if (!copy.empty()) WriteText(tmp / ("c/" + name), copy);
    files.push_back({tmp / ("s/" + name), tmp / ("c/" + name), stamp(tmp / ("s/" + name))});
  };
  pair("same", std::string(600'000, 'x'), std::string(600'000, 'x'));
  std::string late_difference(600'000, 'x');
  late_difference[599'999] = 'y';
  pair("differs", std::string(600'000, 'x'), late_difference);
  pair("missing", "m", "");
  pair("changed", "old", "old");
  WriteText(tmp / "s/changed", "new bytes");

  Verification result;
  ASSERT_TRUE(CompareWithSources(fs, files, nullptr, result));
  EXPECT_EQ(result.files, 1u);
  EXPECT_EQ(result.bytes, 600'000u);
  ASSERT_EQ(result.mismatched, 2u);
  EXPECT_EQ(result.mismatches[0].path, tmp / "c/differs");
  EXPECT_EQ(result.mismatches[1].path, tmp / "c/missing");
  EXPECT_EQ(result.changed_paths, std::vector<std::string>{tmp / "s/changed"});

  // Holes both files have are skipped; a byte written into one file's hole is found.
  auto compare_same = [&] {
    Verification sparse;
    EXPECT_TRUE(CompareWithSources(fs, {{tmp / "s/same", tmp / "c/same", stamp(tmp / "s/same")}},
                                   nullptr, sparse));
    return sparse;
  };
  std::filesystem::resize_file(tmp / "s/same", 3'000'000'000);
  std::filesystem::resize_file(tmp / "c/same", 3'000'000'000);
  EXPECT_EQ(compare_same().files, 1u);
  std::fstream(tmp / "c/same", std::ios::in | std::ios::out | std::ios::binary)
      .seekp(2'000'000'000)
      .put('!');
  EXPECT_EQ(compare_same().mismatched, 1u);

  // Asked to stop, it stops.
  struct Stop : CopyObserver {
    bool Continue(std::uint64_t) override { return false; }
  } stop;
  Verification stopped;
  EXPECT_FALSE(CompareWithSources(fs, files, &stop, stopped));
}

// Comparisons share no reading space: two at once, one of equal files and one of files that
// differ only near their end, each still gets its own answer.
TEST(CompareWithSources, TwoAtOnceKeepTheirOwnAnswers) {
  testing::TempFolder tmp;
  PosixFileSystem fs;
  const std::string bytes(1'000'000, 'x');
  std::string late_difference = bytes;
  late_difference[999'000] = 'y';
  WriteText(tmp / "s/same", bytes);
  WriteText(tmp / "c/same", bytes);
  WriteText(tmp / "s/differs", bytes);
  WriteText(tmp / "c/differs", late_difference);
  auto compare = [&](const std::string& name, int rounds, std::uint64_t& wrong) {
    const bool equal = name == "same";
    const SampledFile file{tmp / ("s/" + name), tmp / ("c/" + name),
                           fs.Stamp(tmp / ("s/" + name)).value()};
    for (int i = 0; i < rounds; ++i) {
      Verification result;
      CompareWithSources(fs, {file}, nullptr, result);
      if ((result.mismatched == 0) != equal) ++wrong;
    }
  };
  std::uint64_t wrong_same = 0, wrong_differs = 0;
  std::thread other([&] { compare("differs", 300, wrong_differs); });
  compare("same", 300, wrong_same);
  other.join();
  EXPECT_EQ(wrong_same, 0u);
  EXPECT_EQ(wrong_differs, 0u);
}

}  // namespace
}  // namespace orvessa
