#include "core/source_entry.hpp"

#include "core/text_encoding.hpp"

namespace orvessa {

bool FitsOnOneLine(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos &&
         IsValidUtf8(text);
}

std::optional<SourceEntry> SourceEntry::ForFolder(std::string_view folder_path) {
  if (folder_path.empty() || folder_path.front() != '/' || !FitsOnOneLine(folder_path)) {
    return std::nullopt;
  }
  while (folder_path.size() > 1 && folder_path.back() == '/') folder_path.remove_suffix(1);
  if (folder_path == "/") return SourceEntry("/*");
  return SourceEntry(std::string(folder_path) + "/*");
}

std::optional<SourceEntry> SourceEntry::ForFile(std::string_view file_path) {
  if (file_path.size() < 2 || file_path.front() != '/' || file_path.back() == '/' ||
      file_path.back() == '*' || !FitsOnOneLine(file_path)) {
    return std::nullopt;
  }
  return SourceEntry(std::string(file_path));
}

std::optional<SourceEntry> SourceEntry::FromLine(std::string_view line) {
  if (line.empty() || !FitsOnOneLine(line)) return std::nullopt;
  if (line.back() == '*' && (line.size() < 2 || line[line.size() - 2] != '/')) {
    return std::nullopt;
  }
  return SourceEntry(std::string(line));
}

std::string SourceEntry::Path() const {
  if (!IsFolder()) return text_;
  if (IsRootFolder()) return "/";
  return text_.substr(0, text_.size() - 2);
}

std::string SourceEntry::LastComponent() const {
  if (IsRootFolder()) return {};
  std::string path = Path();
  auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace orvessa
