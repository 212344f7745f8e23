#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/clock.hpp"
#include "platform/file_system.hpp"
#include "platform/locale.hpp"

namespace orvessa::testing {

class FakeClock : public Clock {
 public:
  explicit FakeClock(LocalDateTime now) : now_(now) {}
  LocalDateTime Now() const override { return now_; }

 private:
  LocalDateTime now_;
};

// Fixed formats: "13:05:09", "06/12/2026", "1,234,567".
class FakeLocale : public Locale {
 public:
  std::string FormatTime(const LocalTime& t) const override {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return buffer;
  }
  std::string FormatShortDate(const LocalDate& d) const override {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d/%02d/%04d", d.day, d.month, d.year);
    return buffer;
  }
  std::optional<LocalTime> ParseTime(const std::string& text) const override {
    LocalTime t;
    if (std::sscanf(text.c_str(), "%d:%d:%d", &t.hour, &t.minute, &t.second) != 3) return {};
    return t;
  }
  std::optional<LocalDate> ParseShortDate(const std::string& text) const override {
    LocalDate d;
    if (std::sscanf(text.c_str(), "%d/%d/%d", &d.day, &d.month, &d.year) != 3) return {};
    return d;
  }
  std::string FormatWholeNumber(std::int64_t value) const override {
    std::string digits = std::to_string(value < 0 ? -value : value);
    for (auto i = static_cast<std::ptrdiff_t>(digits.size()) - 3; i > 0; i -= 3) {
      digits.insert(static_cast<std::size_t>(i), ",");
    }
    return (value < 0 ? "-" : "") + digits;
  }
};

// A file system in memory whose writes can be made to fail.
class MemoryFileSystem : public FileSystem {
 public:
  std::map<std::string, std::string> files;
  std::optional<FsError> fail_writes;

  FsResult<FileContent> ReadFile(const std::string& path, std::size_t max_bytes) const override {
    auto it = files.find(path);
    if (it == files.end()) return FsError{FsErrorKind::PathNotFound, ENOENT, path};
    FileContent content{it->second.substr(0, max_bytes), it->second.size() > max_bytes};
    return content;
  }
  FsStatus WriteFileAtomic(const std::string& path, std::string_view bytes) override {
    if (fail_writes) return *fail_writes;
    files[path] = std::string(bytes);
    return FsOk{};
  }
};

// A fresh folder under the system's temporary folder, removed with its contents.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvessa-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace orvessa::testing
