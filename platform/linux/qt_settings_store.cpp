#include "platform/linux/qt_settings_store.hpp"

#include <QStandardPaths>
#include <QStringList>

namespace orvessa {
namespace {

QString UserSettingsPath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/Orvessa/Orvessa.conf");
}

}  // namespace

QtSettingsStore::QtSettingsStore() : QtSettingsStore(UserSettingsPath()) {}

QtSettingsStore::QtSettingsStore(const QString& file_path)
    : settings_(file_path, QSettings::IniFormat) {}

QString QtSettingsStore::StoredSpelling(const std::string& section, const std::string& key) const {
  const QString wanted = QString::fromStdString(section) + u'/' + QString::fromStdString(key);
  if (settings_.contains(wanted)) return wanted;
  const QStringList stored = settings_.allKeys();
  for (const QString& candidate : stored) {
    if (candidate.compare(wanted, Qt::CaseInsensitive) == 0) return candidate;
  }
  return wanted;
}

std::string QtSettingsStore::Get(const std::string& section, const std::string& key,
                                 const std::string& fallback) const {
  const QVariant value = settings_.value(StoredSpelling(section, key));
  if (!value.isValid()) return fallback;
  // A hand-edited value with an unquoted comma reads back as a list.
  if (value.typeId() == QMetaType::QStringList) {
    return value.toStringList().join(u',').toStdString();
  }
  return value.toString().toStdString();
}

void QtSettingsStore::Save(const std::string& section, const std::string& key,
                           const std::string& value) {
  settings_.setValue(StoredSpelling(section, key), QString::fromStdString(value));
  settings_.sync();
}

}  // namespace orvessa
