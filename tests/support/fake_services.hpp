#pragma once

#include <cstdio>
#include <map>
#include <optional>
#include <string>

#include "platform/clock.hpp"
#include "platform/file_system.hpp"
#include "platform/locale.hpp"
#include "tests/support/fault_injecting_file_system.hpp"
#include "tests/support/file_helpers.hpp"

namespace orvessa::testing {

class FakeClock : public Clock {
 public:
  explicit FakeClock(LocalDateTime now) : now_(now) {}
  LocalDateTime Now() const override { return now_; }
  void Set(LocalDateTime now) { now_ = now; }

 private:
  LocalDateTime now_;
};

// Fixed formats "13:05:09" and "06/12/2026", read back as written.
class FakeLocale : public Locale {
 public:
  std::string FormatTime(const LocalTime& t) const override {
    return Format("%02d:%02d:%02d", t.hour, t.minute, t.second);
  }
  std::string FormatShortDate(const LocalDate& d) const override {
    return Format("%02d/%02d/%04d", d.day, d.month, d.year);
  }
  std::optional<LocalTime> ParseTime(const std::string& text) const override {
    int h = 0, m = 0, s = 0;
    char end = 0;
    if (std::sscanf(text.c_str(), "%2d:%2d:%2d%c", &h, &m, &s, &end) != 3) return {};
    return LocalTime{h, m, s};
  }
  std::optional<LocalDate> ParseShortDate(const std::string& text) const override {
    int d = 0, m = 0, y = 0;
    char end = 0;
    if (std::sscanf(text.c_str(), "%2d/%2d/%4d%c", &d, &m, &y, &end) != 3) return {};
    return LocalDate{y, m, d};
  }
  std::string FormatWholeNumber(std::int64_t value) const override { return std::to_string(value); }

 private:
  static std::string Format(const char* format, int a, int b, int c) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, a, b, c);
    return buffer;
  }
};

// Job files in memory, whose writes can be made to fail; everything else is the disk's.
class MemoryFileSystem : public FaultInjectingFileSystem {
 public:
  std::map<std::string, std::string> files;

  FsResult<FileContent> ReadFile(const std::string& path, std::size_t max_bytes) const override {
    auto it = files.find(path);
    if (it == files.end()) return FsError{FsErrorKind::PathNotFound, ENOENT, path};
    return FileContent{it->second.substr(0, max_bytes), it->second.size() > max_bytes};
  }
  FsStatus WriteFileAtomic(const std::string& path, std::string_view bytes) override {
    return Guard(FsOp::WriteFileAtomic, path, [&] {
      files[path] = std::string(bytes);
      return FsStatus(FsOk{});
    });
  }
};

}  // namespace orvessa::testing
