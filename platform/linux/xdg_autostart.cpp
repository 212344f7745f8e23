#include "platform/linux/xdg_autostart.hpp"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <QString>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace orvessa {
namespace {

const char* const kGroup = "[Desktop Entry]";

bool IsAbsolute(const char* path) { return path != nullptr && path[0] == '/'; }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The key of an entry line ("Key = value" or "Key=value"), empty for other lines.
std::string KeyOf(const std::string& line) {
  const auto equals = line.find('=');
  return equals == std::string::npos ? std::string() : Trimmed(line.substr(0, equals));
}

// Hidden=true in the main group turns an entry off, whatever else it says.
bool IsHiddenEntry(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  bool in_group = false;
  for (std::string line; std::getline(in, line);) {
    const std::string trimmed = Trimmed(line);
    if (!trimmed.empty() && trimmed[0] == '[') {
      in_group = trimmed == kGroup;
    } else if (in_group && KeyOf(trimmed) == "Hidden") {
      return Trimmed(trimmed.substr(trimmed.find('=') + 1)) == "true";
    }
  }
  return false;
}

bool IsFile(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

const char* const kUnknownFolder =
    "The folder of programs started at log-in is unknown: neither XDG_CONFIG_HOME nor HOME is "
    "an absolute path.";

std::string ErrorOf(const std::string& path, const QString& reason) {
  std::string text = path;
  text += ": ";
  text += reason.toStdString();
  return text;
}

}  // namespace

std::string ExecValue(const std::string& program_path) {
  static const std::string kReserved = " \t\n\"'\\><~|&;$*?#()`";
  const bool quoted = program_path.find_first_of(kReserved) != std::string::npos;
  std::string argument;
  for (const char c : program_path) {
    if (quoted && (c == '"' || c == '`' || c == '$' || c == '\\')) argument += '\\';
    argument += c;
  }
  if (quoted) argument = '"' + argument + '"';
  // Then the value's own escapes: a percent sign is not a field code, a backslash is literal.
  std::string value;
  for (const char c : argument) {
    if (c == '%') value += '%';
    if (c == '\\') value += '\\';
    value += c;
  }
  return value;
}

XdgAutostart::XdgAutostart(std::string template_path, std::string program_path)
    : template_path_(std::move(template_path)), program_path_(std::move(program_path)) {}

std::string XdgAutostart::Folder() const {
  // A relative or missing setting is ignored, never taken relative to the current folder.
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (IsAbsolute(config)) return std::string(config) + "/autostart";
  const char* home = std::getenv("HOME");
  if (IsAbsolute(home)) return std::string(home) + "/.config/autostart";
  return {};
}

std::string XdgAutostart::UserEntry() const {
  const std::string folder = Folder();
  return folder.empty() ? std::string() : folder + "/" + kEntryName;
}

std::string XdgAutostart::SystemEntry() const {
  const char* dirs = std::getenv("XDG_CONFIG_DIRS");
  std::string list = dirs && dirs[0] ? dirs : "/etc/xdg";
  std::istringstream in(list);
  for (std::string dir; std::getline(in, dir, ':');) {
    if (dir.empty() || dir[0] != '/') continue;
    const std::string entry = dir + "/autostart/" + kEntryName;
    if (IsFile(entry)) return entry;
  }
  return {};
}

bool XdgAutostart::IsEnabled() const {
  const std::string user = UserEntry();
  if (!user.empty() && IsFile(user)) return !IsHiddenEntry(user);
  const std::string system = SystemEntry();
  return !system.empty() && !IsHiddenEntry(system);
}

std::string XdgAutostart::Enable() { return Write({}); }

std::string XdgAutostart::Disable() {
  const std::string user = UserEntry();
  if (user.empty()) return kUnknownFolder;
  const std::string system = SystemEntry();
  // Deleting ours would leave the system-wide entry starting us: mask it instead.
  if (!system.empty() && !IsHiddenEntry(system)) return Write("Hidden=true");
  std::error_code ec;
  if (!std::filesystem::remove(user, ec) && ec)
    return ErrorOf(user, QString::fromStdString(ec.message()));
  return {};
}

// Our entry from the shipped one: Exec set to this program, extra_line added to the group.
std::string XdgAutostart::Write(const std::string& extra_line) const {
  const std::string folder = Folder();
  if (folder.empty()) return kUnknownFolder;
  for (const char c : program_path_) {
    if (static_cast<unsigned char>(c) < 0x20) {
      return ErrorOf(program_path_, QStringLiteral("a control character in the program's path"));
    }
  }
  QFile shipped(QString::fromStdString(template_path_));
  if (!shipped.open(QIODevice::ReadOnly)) return ErrorOf(template_path_, shipped.errorString());
  const std::string shipped_text = shipped.readAll().toStdString();

  std::string text;
  bool in_group = false;
  bool exec_written = false;
  for (const std::string& line : Lines(shipped_text)) {
    const std::string trimmed = Trimmed(line);
    if (!trimmed.empty() && trimmed[0] == '[') {
      if (in_group && !exec_written) {
        text += "Exec=" + ExecValue(program_path_) + "\n";
        exec_written = true;
      }
      in_group = trimmed == kGroup;
      text += line + "\n";
      if (in_group && !extra_line.empty()) text += extra_line + "\n";
      continue;
    }
    const std::string key = KeyOf(trimmed);
    if (in_group && (key == "Hidden" || key == "TryExec")) continue;
    if (in_group && key == "Exec") {
      if (!exec_written) text += "Exec=" + ExecValue(program_path_) + "\n";
      exec_written = true;
      continue;
    }
    text += line + "\n";
  }
  if (text.find(kGroup) == std::string::npos) {
    return ErrorOf(template_path_, QStringLiteral("not a desktop entry"));
  }
  if (!exec_written) text += "Exec=" + ExecValue(program_path_) + "\n";

  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) return ErrorOf(folder, QString::fromStdString(ec.message()));
  const std::string path = folder + "/" + kEntryName;
  QSaveFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::WriteOnly)) return ErrorOf(path, file.errorString());
  const QByteArray bytes = QByteArray::fromStdString(text);
  if (file.write(bytes) != bytes.size() || !file.commit()) return ErrorOf(path, file.errorString());
  return {};
}

}  // namespace orvessa
