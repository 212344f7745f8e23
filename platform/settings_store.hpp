#pragma once

#include <string>

namespace orvessa {

// The per-user settings of the program, by section and key; keys match whatever
// their case. Texts are UTF-8.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual std::string Get(const std::string& section, const std::string& key,
                          const std::string& fallback) const = 0;
  virtual void Save(const std::string& section, const std::string& key,
                    const std::string& value) = 0;
};

}  // namespace orvessa
