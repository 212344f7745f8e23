#include "ui/language_menu.hpp"

#include <QCoreApplication>
#include <QLibraryInfo>

#include "i18n/string_table.hpp"

namespace orvessa {
namespace {

// In menu order; the last three entries have no language behind them.
constexpr LanguageMenu::Language kLanguages[4] = {{kEnglishBase, "/help/en.html", "en"},
                                                  {kSpanishBase, "/help/es.html", "es"},
                                                  {kGermanBase, "/help/de.html", "de"},
                                                  {kFrenchBase, "/help/fr.html", "fr"}};

}  // namespace

LanguageMenu::LanguageMenu(QMenuBar& bar, QObject& owner) : QObject(&owner) {
  setObjectName(QStringLiteral("LanguageMenu"));
  mnuLanguage = bar.addMenu(QString());
  mnuLanguage->setObjectName(QStringLiteral("mnuLanguage"));
  static const char* const kEntries[7][2] = {
      {"mnuLang_ingl\u00e9s", "English"},     {"mnuLang_espa\u00f1ol", "Espa\u00f1ol"},
      {"mnuLang_alem\u00e1n", "Deutsch"},     {"mnuLang_franc\u00e9s", "Fran\u00e7ais"},
      {"mnuLang_italiano", "Italiano"},       {"mnuLang_portugu\u00e9s", "Portuguese"},
      {"mnuLang_catal\u00e1n", "Catal\u00e1"}};
  for (int i = 0; i < 7; ++i) {
    QAction* action = mnuLanguage->addAction(QString::fromUtf8(kEntries[i][1]));
    action->setObjectName(QString::fromUtf8(kEntries[i][0]));
    action->setCheckable(true);
    action->setEnabled(i < 4);
    mnuLang[static_cast<std::size_t>(i)] = action;
    connect(action, &QAction::triggered, this, [this, i] { emit Chosen(i); });
  }
  mnuLang[1]->setChecked(true);
}

std::optional<LanguageMenu::Language> LanguageMenu::Select(int entry) {
  if (entry < 0 || entry >= 7) return std::nullopt;
  for (QAction* action : mnuLang) action->setChecked(false);
  mnuLang[static_cast<std::size_t>(entry)]->setChecked(true);
  if (entry >= 4) return std::nullopt;
  const Language& language = kLanguages[entry];

  if (qt_texts_) QCoreApplication::removeTranslator(qt_texts_.get());
  qt_texts_ = std::make_unique<QTranslator>();
  if (qt_texts_->load(QStringLiteral("qtbase_") + QLatin1String(language.qt_code),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(qt_texts_.get());
  } else {
    qt_texts_.reset();
  }
  return language;
}

std::optional<int> LanguageMenu::EntryOf(std::int16_t base) {
  for (int entry = 0; entry < 4; ++entry) {
    if (kLanguages[entry].base == base) return entry;
  }
  return std::nullopt;
}

}  // namespace orvessa
