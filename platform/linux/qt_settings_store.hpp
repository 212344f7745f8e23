#pragma once

#include <QSettings>
#include <QString>

#include "platform/settings_store.hpp"

namespace orvessa {

// Settings in an INI file through QSettings, keys being "section/key".
//
// QSettings matches keys case-sensitively here, so a key is read and written under the
// spelling the file already has for it; a new key keeps the spelling it is given.
class QtSettingsStore : public SettingsStore {
 public:
  // The user's file: $XDG_CONFIG_HOME/Orvessa/Orvessa.conf (usually ~/.config/...).
  QtSettingsStore();
  explicit QtSettingsStore(const QString& file_path);

  std::string Get(const std::string& section, const std::string& key,
                  const std::string& fallback) const override;
  // Writes the file at once, so a crash right after keeps the value.
  void Save(const std::string& section, const std::string& key, const std::string& value) override;

  QString FilePath() const { return settings_.fileName(); }

 private:
  QString StoredSpelling(const std::string& section, const std::string& key) const;

  QSettings settings_;
};

}  // namespace orvessa
