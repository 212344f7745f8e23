#include "core/job_file_check.hpp"

#include <vector>

#include "core/job_file_format.hpp"
#include "core/text_encoding.hpp"

namespace orvessa {
namespace {

// Longer than any path the system can open.
constexpr std::size_t kMaxCheckedLine = 4096;

bool IsBinaryByte(unsigned char c) {
  return (c < 0x20 && c != '\r' && c != '\n' && c != '\t') || c == 0x7F;
}

std::string At(std::size_t line, const std::string& what) {
  return "line " + std::to_string(line) + " " + what;
}

}  // namespace

std::string JobFileProblem(std::string_view bytes, bool truncated) {
  if (truncated) return "it is far larger than any job file";
  const bool utf8 = bytes.starts_with(job_file::kUtf8Bom);
  if (utf8) bytes.remove_prefix(job_file::kUtf8Bom.size());
  if (bytes.empty()) return "it is empty";
  for (unsigned char c : bytes) {
    if (IsBinaryByte(c)) return "it holds binary data, not lines of text";
  }
  if (utf8 && !IsValidUtf8(bytes)) return "it is marked as UTF-8 but is not valid UTF-8 text";
  if (bytes.back() != '\n' && bytes.back() != '\r') {
    return "it is cut short: its last line does not end";
  }

  std::vector<std::string_view> lines;
  while (!bytes.empty()) {
    const std::size_t end = bytes.find_first_of("\r\n");
    lines.push_back(bytes.substr(0, end));
    bytes.remove_prefix(end + (bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1));
  }
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].size() > kMaxCheckedLine) {
      return At(i + 1,
                "is " + std::to_string(lines[i].size()) + " bytes long, longer than any path");
    }
  }
  const std::size_t fields = job_file::kFieldLines;
  if (lines.size() < fields) {
    return "it is cut short: it ends after line " + std::to_string(lines.size()) + " of at least " +
           std::to_string(fields + 1);
  }
  if (!lines[2].empty() && lines[2].front() != '/') {
    return At(3, "does not name a destination folder by its full path");
  }
  const auto count = job_file::ParseInteger(lines[fields - 1]);
  if (!count || *count < 0) return At(fields, "is not a number of sources");
  if (*count > job_file::kMaxEntries) {
    return At(fields, "names more sources than a job can hold (" +
                          std::to_string(job_file::kMaxEntries) + ")");
  }
  std::size_t entries = lines.size() - fields;
  if (entries > 0 && lines.back().empty()) --entries;  // the closing empty line
  if (entries != static_cast<std::size_t>(*count)) {
    return At(fields, "says " + std::to_string(*count) + " sources, but " +
                          std::to_string(entries) + " lines follow it");
  }
  for (std::size_t i = fields; i < fields + entries; ++i) {
    if (lines[i].empty() || lines[i].front() != '/') {
      return At(i + 1, "is not a source given by its full path");
    }
  }
  return {};
}

}  // namespace orvessa
