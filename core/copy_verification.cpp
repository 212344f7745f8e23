#include "core/copy_verification.hpp"

#include <cerrno>

namespace orvessa {
namespace {

constexpr std::size_t kCanaryBytes = 64u << 10;
constexpr const char* kCanaryPrefix = ".orvessa-part-check-";  // cleaned up like part files

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

void CopySample::Moved(const std::string& from, const std::string& to) {
  for (auto* files : {&reservoir_, &hundredth_}) {
    for (SampledFile& file : *files) {
      if (IsBelow(file.to, from)) file.to = to + file.to.substr(from.size());
    }
  }
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

bool CompareWithSources(const FileSystem& fs, const std::vector<SampledFile>& files,
                        CopyObserver* observer, Verification& result) {
  for (const SampledFile& file : files) {
    auto same = fs.SameContent(file.from, file.to, observer);
    if (!same && same.error().kind == FsErrorKind::Cancelled) return false;
    if (same && same.value()) {
      ++result.files;
      result.bytes += file.stamp.size;
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

void CheckCanary(FileSystem& fs, const std::string& folder, std::uint64_t seed,
                 Verification& result) {
  std::mt19937_64 random(seed);
  std::string bytes(kCanaryBytes, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  char name[40];
  std::snprintf(name, sizeof name, "%s%016llx", kCanaryPrefix,
                static_cast<unsigned long long>(seed));
  const std::string path = Join(folder, name);
  result.canary_checked = true;
  // Not flushed: reading back cannot reach past the cache either, and a flush would make
  // the run wait for the whole copy's write-back.
  if (FsStatus written = fs.WriteNewFile(path, bytes); !written) {
    result.AddMismatch(
        path, "a check file could not be written: " + ReasonInWords(written.error(), true));
    return;
  }
  auto read = fs.ReadFile(path, kCanaryBytes + 1);
  (void)fs.DeleteTree(path, true);
  if (!read) {
    result.AddMismatch(path,
                       "a check file could not be read back: " + ReasonInWords(read.error(), true));
  } else if (read.value().bytes != bytes) {
    result.AddMismatch(path, "a check file read back different bytes than were written");
  }
}

}  // namespace orvessa
