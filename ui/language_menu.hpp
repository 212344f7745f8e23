#pragma once

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QObject>
#include <QTranslator>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>

namespace orvessa {

// The Language menu: four languages, then three greyed entries with none behind them.
// Choosing one also has Qt's own buttons and dialogs speak it.
class LanguageMenu : public QObject {
  Q_OBJECT
 public:
  struct Language {
    std::int16_t base;
    const char* help_page;  // below the data folder
    const char* qt_code;    // suffix of Qt's own translation files
  };

  LanguageMenu(QMenuBar& bar, QObject& owner);

  // Marks entry 0..6 (menu order); the language behind it, if any, becomes Qt's.
  std::optional<Language> Select(int entry);
  // The entry of a language base; none for a base that is no language.
  static std::optional<int> EntryOf(std::int16_t base);
  QMenu* Menu() const { return mnuLanguage; }

 signals:
  void Chosen(int entry);

 private:
  QMenu* mnuLanguage;
  std::array<QAction*, 7> mnuLang;  // English, Español, Deutsch, Français, then three greyed
  std::unique_ptr<QTranslator> qt_texts_;
};

}  // namespace orvessa
