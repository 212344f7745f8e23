#include "core/copy_verification.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace orvessa {
namespace {

constexpr std::size_t kCanaryBytes = 64u << 10;
constexpr const char* kCanaryPrefix = ".orvessa-part-check-";  // cleaned up like part files
constexpr std::uint64_t kBudgetFloor = 64u << 20;
constexpr std::size_t kRanges = 4;  // parts of a file larger than its share

bool IsBelow(const std::string& path, const std::string& folder) {
  return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
         path[folder.size()] == '/';
}

std::string Join(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

}  // namespace

void CopySample::Offer(const PlacedFile& file) {
  SampledFile sampled{file.from, file.to, {file.size, file.modified_ns}};
  ++offered_;
  if (all_ || reservoir_.size() < kVerifiedAtLeast) {
    reservoir_.push_back(sampled);
  } else if (const std::uint64_t at = random_() % offered_; at < kVerifiedAtLeast) {
    reservoir_[at] = sampled;
  }
  if (!all_ && random_() % 100 == 0) hundredth_.push_back(std::move(sampled));
}

void CopySample::Dropped(const std::string& folder) {
  for (auto* files : {&reservoir_, &hundredth_}) {
    std::erase_if(*files, [&](const SampledFile& file) { return IsBelow(file.to, folder); });
  }
}

const std::vector<SampledFile>& CopySample::Chosen() const {
  if (all_ || reservoir_.size() < kVerifiedAtLeast || hundredth_.size() < kVerifiedAtLeast) {
    return reservoir_;
  }
  return hundredth_;
}

std::uint64_t ComparisonBudget(std::uint64_t bytes_written) {
  return std::max<std::uint64_t>(kBudgetFloor, bytes_written / 50);
}

std::vector<std::vector<ByteRange>> ComparisonRanges(const std::vector<SampledFile>& files,
                                                     std::uint64_t budget, std::uint64_t seed) {
  std::vector<std::vector<ByteRange>> ranges(files.size());
  if (budget == 0) return ranges;
  std::vector<std::size_t> order(files.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  // Smallest first, so that what small files leave of their share goes to larger ones.
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return files[a].stamp.size < files[b].stamp.size;
  });
  std::mt19937_64 random(seed ^ 0x9e3779b97f4a7c15ull);
  std::uint64_t left = budget;
  for (std::size_t k = 0; k < order.size(); ++k) {
    const std::uint64_t size = files[order[k]].stamp.size;
    const std::uint64_t share = left / (order.size() - k);
    if (size <= share) {
      left -= size;
      continue;
    }
    // Blocks of 4 KiB, at least one per range, the last range ending at the file's end.
    constexpr std::uint64_t kBlock = 4096;
    const std::uint64_t length = std::max<std::uint64_t>(kBlock, share / kRanges / kBlock * kBlock);
    const std::uint64_t blocks = (size + kBlock - 1) / kBlock;
    std::vector<ByteRange>& parts = ranges[order[k]];
    parts.push_back({size > length ? size - length : 0, length});
    for (std::size_t r = 1; r < kRanges; ++r) {
      const std::uint64_t start = random() % blocks * kBlock;
      parts.push_back({start, std::min(length, size - start)});
    }
    std::sort(parts.begin(), parts.end(),
              [](const ByteRange& a, const ByteRange& b) { return a.offset < b.offset; });
    left -= std::min(left, length * kRanges);
  }
  return ranges;
}

bool CompareWithSources(const FileSystem& fs, const CopyEngine& copier,
                        const std::vector<SampledFile>& files, CopyObserver* observer,
                        Verification& result, std::uint64_t budget, std::uint64_t seed) {
  const auto ranges = ComparisonRanges(files, budget, seed);
  for (std::size_t i = 0; i < files.size(); ++i) {
    const SampledFile& file = files[i];
    fs.DropCached(file.to);
    auto same = copier.SameContent(file.from, file.to, observer, ranges[i]);
    if (!same && same.error().kind == FsErrorKind::Cancelled) return false;
    if (same && same.value()) {
      ++result.files;
      if (ranges[i].empty()) {
        result.bytes += file.stamp.size;
      } else {
        for (const ByteRange& range : ranges[i]) {
          const std::uint64_t start = std::min(range.offset, file.stamp.size);
          result.bytes += std::min(range.length, file.stamp.size - start);
        }
        ++result.in_parts;
      }
      continue;
    }
    // Unreadable or different: the source's own change explains it only when the source
    // is no longer what was copied.
    auto now = fs.Stamp(file.from);
    const bool source_changed = !now || !(now.value() == file.stamp);
    if (source_changed) {
      result.AddChanged(file.from);
    } else if (!same) {
      result.AddMismatch(file.to, ReasonInWords(same.error(), same.error().path == file.to));
    } else {
      result.AddMismatch(file.to, "the copy differs from its source");
    }
    if (observer && !observer->Continue(0)) return false;
  }
  return true;
}

Canary WriteCanary(FileSystem& fs, const std::string& folder, std::uint64_t seed,
                   Verification& result) {
  Canary canary;
  std::mt19937_64 random(seed);
  canary.bytes.assign(kCanaryBytes, '\0');
  for (char& c : canary.bytes) c = static_cast<char>(random());
  char name[40];
  std::snprintf(name, sizeof name, "%s%016llx", kCanaryPrefix,
                static_cast<unsigned long long>(seed));
  canary.path = Join(folder, name);
  result.canary_checked = true;
  // Not flushed here: the sync of the whole copy takes it to the disk with the rest.
  if (FsStatus written = fs.WriteNewFile(canary.path, canary.bytes); !written) {
    result.AddMismatch(
        canary.path, "a check file could not be written: " + ReasonInWords(written.error(), true));
    return canary;
  }
  canary.written = true;
  return canary;
}

void CheckCanary(FileSystem& fs, const Canary& canary, Verification& result) {
  if (!canary.written) return;
  fs.DropCached(canary.path);
  auto read = fs.ReadFile(canary.path, kCanaryBytes + 1);
  (void)fs.DeleteTree(canary.path, true);
  if (!read) {
    result.AddMismatch(canary.path,
                       "a check file could not be read back: " + ReasonInWords(read.error(), true));
  } else if (read.value().bytes != canary.bytes) {
    result.AddMismatch(canary.path, "a check file read back different bytes than were written");
  }
}

}  // namespace orvessa
