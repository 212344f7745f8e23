#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvessa {

// One line of the selection list. A folder is its path followed by "/*" (the root
// folder is "/*"); a file is its full path. The last character alone tells the kind,
// so no entry can be made for a file whose name ends in "*", and none for a path that
// a job file line cannot hold (a line break, a NUL, text that is not UTF-8).
class SourceEntry {
 public:
  // Absolute folder path; trailing slashes are ignored.
  static std::optional<SourceEntry> ForFolder(std::string_view folder_path);
  // Absolute file path whose name neither is empty nor ends in "*".
  static std::optional<SourceEntry> ForFile(std::string_view file_path);
  // A line as stored in a job file. Refused: empty lines, lines no job file could hold,
  // and a line ending in "*" without the "/" before it, which names neither a folder
  // entry nor a file that could have been added.
  static std::optional<SourceEntry> FromLine(std::string_view line);

  const std::string& Text() const { return text_; }
  bool IsFolder() const { return text_.back() == '*'; }
  bool IsRootFolder() const { return text_ == "/*"; }
  // The folder of a folder entry ("/" for the root), the file of a file entry.
  std::string Path() const;
  // The name the entry's copy takes: the folder's or file's own name; empty for the root.
  std::string LastComponent() const;

  friend bool operator==(const SourceEntry&, const SourceEntry&) = default;

 private:
  explicit SourceEntry(std::string text) : text_(std::move(text)) {}
  std::string text_;
};

// True when text can stand on one job file line as it is.
bool FitsOnOneLine(std::string_view text);

}  // namespace orvessa
