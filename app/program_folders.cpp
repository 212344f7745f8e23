#include "app/program_folders.hpp"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "i18n/string_table.hpp"
#include "platform/settings_store.hpp"

namespace orvessa {

std::string ProgramFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data && data[0] == '/') return std::string(data) + "/Orvessa";
  const char* home = std::getenv("HOME");
  return std::string(home ? home : "") + "/.local/share/Orvessa";
}

std::string StateFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state && state[0] == '/') return std::string(state) + "/Orvessa";
  const char* home = std::getenv("HOME");
  return std::string(home ? home : "") + "/.local/state/Orvessa";
}

std::string DataFolder(const std::string& program_path) {
  const auto slash = program_path.rfind('/');
  if (slash != std::string::npos) {
    // Without "bin/..", so the help page's address reads as the installed path.
    const std::string installed =
        std::filesystem::path(program_path.substr(0, slash) + "/../share/orvessa")
            .lexically_normal()
            .string();
    struct stat info {};
    if (::stat(installed.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return installed;
  }
  return ORVESSA_SOURCE_ASSETS;
}

int StoredLanguageBase(const SettingsStore& settings) {
  const std::string stored = settings.Get("Language", "Language", "214");
  char* end = nullptr;
  const long base = std::strtol(stored.c_str(), &end, 10);
  if (end == stored.c_str() || !IsLanguageBase(static_cast<int>(base))) return kEnglishBase;
  return static_cast<int>(base);
}

}  // namespace orvessa
