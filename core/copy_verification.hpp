#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "core/copy_engine.hpp"
#include "core/run_report.hpp"
#include "platform/file_system.hpp"

namespace orvessa {

// Below this many files every file is compared; above, a random hundredth of them, but
// never fewer than this.
inline constexpr std::size_t kVerifiedAtLeast = 200;

struct SampledFile {
  std::string from;  // the source
  std::string to;    // its copy
  FileStamp stamp;   // the source's when it was copied
};

// Picks the files a run compares with their sources while they are being copied, without
// holding a list of every file: a uniform sample of kVerifiedAtLeast and, beside it, each
// file with a chance of one in a hundred; whichever suits the final count is used.
class CopySample {
 public:
  // `all`: every file is kept, for a comparison of everything.
  CopySample(bool all, std::uint64_t seed) : all_(all), random_(seed) {}

  void Offer(const PlacedFile& file);
  // The copies below `folder` were deleted.
  void Dropped(const std::string& folder);

  std::uint64_t Offered() const { return offered_; }
  const std::vector<SampledFile>& Chosen() const;

 private:
  bool all_;
  std::mt19937_64 random_;
  std::uint64_t offered_ = 0;
  std::vector<SampledFile> reservoir_;  // or every file, when all_
  std::vector<SampledFile> hundredth_;
};

// Bytes a sample compares at most, besides the check file: the larger of 64 MiB and a
// fiftieth of the bytes the run wrote.
std::uint64_t ComparisonBudget(std::uint64_t bytes_written);

// The parts of each file to compare within `budget` bytes: small files whole, and each
// file above its fair share of what is left in a few ranges of that share, one of them at
// its end, the others drawn at random. A budget of 0 compares everything whole.
std::vector<std::vector<ByteRange>> ComparisonRanges(const std::vector<SampledFile>& files,
                                                     std::uint64_t budget, std::uint64_t seed);

// Compares each chosen copy with its source byte for byte, the copy read from the disk
// rather than from the cache (it must have been synced). A source whose size or time
// differs from when it was copied changed meanwhile: noted apart, not a fault of the copy.
// The observer is told the bytes read and may stop the comparison: false is returned.
bool CompareWithSources(const FileSystem& fs, const CopyEngine& copier,
                        const std::vector<SampledFile>& files, CopyObserver* observer,
                        Verification& result, std::uint64_t budget = 0, std::uint64_t seed = 0);

// A file of known bytes written into `folder` before the sync, read back from the disk
// after it by CheckCanary, which removes it.
struct Canary {
  std::string path;
  std::string bytes;
  bool written = false;
};
Canary WriteCanary(FileSystem& fs, const std::string& folder, std::uint64_t seed,
                   Verification& result);
// A failure or different bytes are recorded as a mismatch of the copy.
void CheckCanary(FileSystem& fs, const Canary& canary, Verification& result);

}  // namespace orvessa
