#include "core/restore.hpp"

#include <cstdio>
#include <set>

namespace orvessa {
namespace {

std::string Joined(const std::string& folder, const std::string& name) {
  return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

std::string ParentOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

bool Exists(const FileSystem& fs, const std::string& path) { return fs.Stamp(path).ok(); }

// The kind of an item without following a link: a link to a folder is restored as a link.
EntryType TypeOf(const FileSystem& fs, const std::string& path) {
  auto listing = fs.ListFolder(ParentOf(path));
  const std::string name = path.substr(path.rfind('/') + 1);
  if (listing) {
    for (const FolderEntry& entry : listing.value()) {
      if (entry.name == name) return entry.type;
    }
  }
  return fs.FolderExists(path) ? EntryType::Folder : EntryType::File;
}

// "ana (restored 2026-12-08).txt" for n 1, "ana (restored 2026-12-08 2).txt" for 2.
std::string RestoredName(const std::string& path, const LocalDate& today, int n) {
  const std::size_t slash = path.rfind('/');
  const std::string name = path.substr(slash + 1);
  std::size_t dot = name.rfind('.');
  if (dot == 0 || dot == std::string::npos) dot = name.size();
  char mark[48];
  std::snprintf(mark, sizeof mark,
                n > 1 ? " (restored %04d-%02d-%02d %d)" : " (restored %04d-%02d-%02d)",
                today.year % 10000, today.month % 100, today.day % 100, n);
  std::string restored = path.substr(0, slash + 1);
  restored.append(name, 0, dot).append(mark).append(name, dot);
  return restored;
}

class Planner {
 public:
  Planner(const FileSystem& fs, const CopyEngine& copier, const RestoreRequest& request,
          std::stop_token stop)
      : fs_(fs), copier_(copier), request_(request), stop_(std::move(stop)) {}

  void Item(const std::string& from, const std::string& to, EntryType type) {
    if (stop_.stop_requested()) return;
    auto in_way = fs_.Stamp(to);
    if (!in_way && in_way.error().kind != FsErrorKind::PathNotFound) {
      plan_.problems.push_back({to, ReasonInWords(in_way.error(), true)});
      return;
    }
    const bool in_way_folder =
        in_way && fs_.FolderExists(to) && TypeOf(fs_, to) == EntryType::Folder;
    if (type == EntryType::Folder) {
      if (!in_way) return Add(RestoreAction::NewTree, from, to, type, TreeBytes(from));
      if (!in_way_folder) {
        return Add(RestoreAction::KeepBoth, from, FreeName(to), type, TreeBytes(from));
      }
      auto listing = fs_.ListFolder(from);
      if (!listing) {
        plan_.problems.push_back({from, ReasonInWords(listing.error(), false)});
        return;
      }
      // A name the copy itself puts there is no free name for a file kept beside another.
      for (const FolderEntry& entry : listing.value()) taken_.insert(Joined(to, entry.name));
      for (const FolderEntry& entry : listing.value()) {
        Item(Joined(from, entry.name), Joined(to, entry.name), entry.type);
      }
      return;
    }
    auto stamp = fs_.Stamp(from);
    const std::uint64_t bytes = stamp && type == EntryType::File ? stamp.value().size : 0;
    if (!in_way) return Add(RestoreAction::New, from, to, type, bytes);
    if (!in_way_folder && Identical(from, to, type)) {
      ++plan_.identical;
      return Add(RestoreAction::Skip, from, to, type, 0);
    }
    if (request_.replace && !in_way_folder) {
      ++plan_.differing;
      return Add(RestoreAction::Replace, from, to, type, bytes);
    }
    if (!in_way_folder) ++plan_.differing;
    // Restored beside it before: the same restore again adds nothing.
    for (int n = 1;; ++n) {
      const std::string earlier = RestoredName(to, request_.today, n);
      if (!Exists(fs_, earlier)) break;
      if (Identical(from, earlier, type)) {
        ++plan_.identical;
        return Add(RestoreAction::Skip, from, earlier, type, 0);
      }
    }
    Add(RestoreAction::KeepBoth, from, FreeName(to), type, bytes);
  }

  RestorePlan Take() { return std::move(plan_); }

 private:
  // The first " (restored ...)" name beside `path` that is neither on the disk nor planned.
  std::string FreeName(const std::string& path) {
    for (int n = 1;; ++n) {
      std::string candidate = RestoredName(path, request_.today, n);
      if (!Exists(fs_, candidate) && taken_.insert(candidate).second) return candidate;
    }
  }

  void Add(RestoreAction action, const std::string& from, const std::string& to, EntryType type,
           std::uint64_t bytes) {
    plan_.steps.push_back({action, from, to, type, bytes});
    taken_.insert(to);
    plan_.bytes += bytes;
  }

  std::uint64_t TreeBytes(const std::string& folder) {
    auto bytes = fs_.FolderSize(folder, stop_);
    return bytes ? bytes.value() : 0;
  }

  bool Identical(const std::string& from, const std::string& to, EntryType type) {
    auto a = fs_.Stamp(from), b = fs_.Stamp(to);
    if (!a || !b || a.value().size != b.value().size) return false;
    if (type != EntryType::File) return a.value() == b.value();
    auto same = copier_.SameContent(from, to, nullptr);
    return same && same.value();
  }

  const FileSystem& fs_;
  const CopyEngine& copier_;
  const RestoreRequest& request_;
  std::stop_token stop_;
  RestorePlan plan_;
  std::set<std::string> taken_;  // final names of the plan
};

class Writer : public CopyObserver {
 public:
  Writer(RestoreResult& result, RestoreProgress* progress, const RestorePlan& plan,
         std::stop_token stop, std::string copy_side)
      : result_(result),
        progress_(progress),
        total_(plan.bytes),
        stop_(std::move(stop)),
        copy_side_(std::move(copy_side)) {}

  bool Continue(std::uint64_t bytes_copied) override {
    if (progress_) progress_->Progress(done_ + bytes_copied, total_, current_);
    return !stop_.stop_requested();
  }
  bool Skip(const std::string& source, const FsError& error) override {
    Fail(source, error);
    return true;
  }
  void Starting(const std::string& source) override { current_ = source; }

  void Fail(const std::string& path, const FsError& error) {
    ++result_.failed;
    if (result_.failures.size() < kListedFailures) {
      result_.failures.push_back({path, ReasonInWords(error, !error.path.starts_with(copy_side_))});
    }
  }
  void Done(std::uint64_t bytes) { done_ += bytes; }
  void Current(const std::string& path) { current_ = path; }

 private:
  RestoreResult& result_;
  RestoreProgress* progress_;
  std::uint64_t total_;
  std::uint64_t done_ = 0;
  std::stop_token stop_;
  std::string copy_side_;
  std::string current_;
};

// A name beside `path` for a tree being built, unlike any a user gives.
std::string BuildingName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return path.substr(0, slash + 1) + "." + path.substr(slash + 1) + ".orvessa-restore";
}

}  // namespace

std::string KeepBothName(const FileSystem& fs, const std::string& path, const LocalDate& today) {
  for (int n = 1;; ++n) {
    std::string candidate = RestoredName(path, today, n);
    if (!Exists(fs, candidate)) return candidate;
  }
}

RestorePlan PlanRestore(const FileSystem& fs, const CopyEngine& copier, const BackupJob& job,
                        const RestoreRequest& request, std::stop_token stop) {
  Planner planner(fs, copier, request, stop);
  std::vector<FailedPath> problems;
  const std::string copy = request.copy.path + "/";
  for (const std::string& original : request.originals) {
    auto from = PathInCopy(job, request.copy.path, original);
    if (!from || !Exists(fs, *from)) {
      problems.push_back({original, "this copy does not hold it"});
      continue;
    }
    const std::string to =
        request.to_folder.empty() ? original : Joined(request.to_folder, from->substr(copy.size()));
    planner.Item(*from, to, TypeOf(fs, *from));
  }
  RestorePlan plan = planner.Take();
  plan.copy_path = request.copy.path;
  plan.problems.insert(plan.problems.begin(), problems.begin(), problems.end());
  return plan;
}

RestoreResult RunRestore(FileSystem& fs, CopyEngine& copier, const RestorePlan& plan,
                         RestoreProgress* progress, std::stop_token stop) {
  RestoreResult result;
  Writer writer(result, progress, plan, stop, plan.copy_path + "/");
  for (const RestoreStep& step : plan.steps) {
    if (stop.stop_requested()) {
      result.stopped = true;
      break;
    }
    if (step.action == RestoreAction::Skip) {
      ++result.skipped;
      continue;
    }
    (void)fs.MakeFolders(ParentOf(step.to));
    CopyOptions options;
    options.overwrite = step.action == RestoreAction::Replace;
    options.observer = &writer;
    FsResult<CopyStats> copied = FsError{};
    if (step.type == EntryType::Folder) {
      const std::string building = BuildingName(step.to);
      (void)fs.DeleteTree(building, true);  // what a killed restore left
      copied = copier.CopyTree(step.from, building, options);
      if (copied) {
        if (auto renamed = fs.Rename(building, step.to); !renamed) copied = renamed.error();
      }
      if (!copied) (void)fs.DeleteTree(building, true);
    } else {
      copied = copier.CopyFile(step.from, step.to, options);
    }
    if (!copied) {
      if (copied.error().kind == FsErrorKind::Cancelled) {
        result.stopped = true;
        break;
      }
      writer.Fail(step.from, copied.error());
      continue;
    }
    result.files += copied.value().files;
    result.bytes += copied.value().bytes;
    writer.Done(step.bytes);
    if (step.action == RestoreAction::Replace) ++result.replaced;
    if (step.action == RestoreAction::KeepBoth) ++result.kept_both;
  }
  return result;
}

}  // namespace orvessa
