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
#include "platform/linux/posix_file_system.hpp"
#include "platform/locale.hpp"
#include "tests/support/forwarding_file_system.hpp"

namespace orvessa::testing {

class FakeClock : public Clock {
 public:
  explicit FakeClock(LocalDateTime now) : now_(now) {}
  LocalDateTime Now() const override { return now_; }

 private:
  LocalDateTime now_;
};

// Fixed formats "13:05:09" and "06/12/2026"; nothing is parsed back.
class FakeLocale : public Locale {
 public:
  std::string FormatTime(const LocalTime& t) const override {
    return Format("%02d:%02d:%02d", t.hour, t.minute, t.second);
  }
  std::string FormatShortDate(const LocalDate& d) const override {
    return Format("%02d/%02d/%04d", d.day, d.month, d.year);
  }
  std::optional<LocalTime> ParseTime(const std::string&) const override { return {}; }
  std::optional<LocalDate> ParseShortDate(const std::string&) const override { return {}; }
  std::string FormatWholeNumber(std::int64_t value) const override { return std::to_string(value); }

 private:
  static std::string Format(const char* format, int a, int b, int c) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, a, b, c);
    return buffer;
  }
};

// Job files in memory whose writes can be made to fail; everything else is the disk's.
class MemoryFileSystem : public ForwardingFileSystem {
 public:
  MemoryFileSystem() : ForwardingFileSystem(disk_) {}

  std::map<std::string, std::string> files;
  std::optional<FsError> fail_writes;

  FsResult<FileContent> ReadFile(const std::string& path, std::size_t max_bytes) const override {
    auto it = files.find(path);
    if (it == files.end()) return FsError{FsErrorKind::PathNotFound, ENOENT, path};
    return FileContent{it->second.substr(0, max_bytes), it->second.size() > max_bytes};
  }
  FsStatus WriteFileAtomic(const std::string& path, std::string_view bytes) override {
    if (fail_writes) return *fail_writes;
    files[path] = std::string(bytes);
    return FsOk{};
  }

 private:
  PosixFileSystem disk_;
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
