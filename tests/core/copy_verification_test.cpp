#include "core/copy_verification.hpp"

#include <gtest/gtest.h>

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

// Eight 64 MiB files and many small ones within 64 MiB: small files whole, the large ones
// in parts that fill what is left, each with its end.
TEST(ComparisonRanges, SmallFilesWholeLargeOnesInPartsWithinTheBudget) {
  std::vector<SampledFile> files;
  for (int n = 0; n < 8; ++n) files.push_back({"/s/big", "/c/big", {64u << 20, 0}});
  for (int n = 0; n < 100; ++n) files.push_back({"/s/small", "/c/small", {5000, 0}});
  const std::uint64_t budget = ComparisonBudget(512u << 20);
  EXPECT_EQ(budget, 64u << 20);
  EXPECT_EQ(ComparisonBudget(std::uint64_t{10'000} << 20), 200u << 20);
  const auto ranges = ComparisonRanges(files, budget, 7);
  std::uint64_t total = 0;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::uint64_t size = files[i].stamp.size;
    if (size == 5000) {
      EXPECT_TRUE(ranges[i].empty()) << "a small file is compared whole";
      total += size;
      continue;
    }
    ASSERT_EQ(ranges[i].size(), 4u);
    EXPECT_EQ(ranges[i].back().offset + ranges[i].back().length, size);
    for (const ByteRange& range : ranges[i]) {
      EXPECT_LE(range.offset + range.length, size);
      total += range.length;
    }
  }
  EXPECT_LE(total, budget);
  EXPECT_GT(total, budget / 2);
  EXPECT_NE(ComparisonRanges(files, budget, 8)[0][0].offset, ranges[0][0].offset);
  for (const auto& whole : ComparisonRanges(files, 0, 7)) EXPECT_TRUE(whole.empty());
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
  const std::string bytes(1'000'000, 'x');
  std::string late_difference = bytes;
  late_difference.back() = 'y';
  pair("same", bytes, bytes);
  pair("differs", bytes, late_difference);
  pair("missing", "m", "");
  pair("changed", "old", "old");
  WriteText(tmp / "s/changed", "new bytes");

  Verification result;
  ASSERT_TRUE(CompareWithSources(fs, fs, files, nullptr, result));
  EXPECT_EQ(result.files, 1u);
  EXPECT_EQ(result.bytes, 1'000'000u);
  ASSERT_EQ(result.mismatched, 2u);
  EXPECT_EQ(result.mismatches[0].path, tmp / "c/differs");
  EXPECT_EQ(result.mismatches[1].path, tmp / "c/missing");
  EXPECT_EQ(result.changed_paths, std::vector<std::string>{tmp / "s/changed"});
  // In parts, the end where a cut-off write shows is among them.
  Verification parts;
  ASSERT_TRUE(CompareWithSources(fs, fs, files, nullptr, parts, 100'000, 1));
  EXPECT_EQ(parts.in_parts, 1u);
  EXPECT_LT(parts.bytes, 100'000u);
  EXPECT_EQ(parts.mismatched, 2u);

  // Comparisons share no reading space: two at once each still get their own answer.
  auto wrong_answers = [&](std::size_t index) {
    int wrong = 0;
    for (int i = 0; i < 300; ++i) {
      Verification one;
      CompareWithSources(fs, fs, {files[index]}, nullptr, one);
      wrong += (one.mismatched == 0) != (index == 0);
    }
    return wrong;
  };
  int wrong_differs = 0;
  std::thread other([&] { wrong_differs = wrong_answers(1); });
  EXPECT_EQ(wrong_answers(0), 0);
  other.join();
  EXPECT_EQ(wrong_differs, 0);

  // Holes both files have are skipped; a byte written into one file's hole is found.
  auto compare_same = [&] {
    Verification sparse;
    EXPECT_TRUE(CompareWithSources(
        fs, fs, {{tmp / "s/same", tmp / "c/same", stamp(tmp / "s/same")}}, nullptr, sparse));
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
  EXPECT_FALSE(CompareWithSources(fs, fs, files, &stop, stopped));
}

}  // namespace
}  // namespace orvessa
