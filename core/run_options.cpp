#include "core/run_options.hpp"

namespace orvessa {
namespace {

constexpr const char* kSection = "Options";
constexpr const char* kShareKey = "ShareUnchangedFiles";

}  // namespace

bool StoredShareUnchanged(const SettingsStore& settings) {
  const std::string value = settings.Get(kSection, kShareKey, "1");
  return !(value == "0" || value == "false" || value == "False");
}

void StoreShareUnchanged(SettingsStore& settings, bool share) {
  settings.Save(kSection, kShareKey, share ? "1" : "0");
}

}  // namespace orvessa
