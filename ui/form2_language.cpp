// The language menu and the texts of the window in the current language.
#include <QMenuBar>

#include "i18n/text_ids.hpp"
#include "ui/form2.hpp"
#include "ui/job_tabs.hpp"
#include "ui/language_menu.hpp"
#include "ui/make_widget.hpp"
#include "ui/mnemonics.hpp"
#include "ui/options_menu.hpp"
#include "ui/schedule_ticker.hpp"
#include "ui/shell_menus.hpp"
#include "ui/status_panels.hpp"

namespace orvessa {
using namespace text_id;

void Form2::SelectLanguage(int entry) {
  const auto language = languages_->Select(entry);
  if (!language) return;
  LanguageBase_ = language->base;
  help_->SetLanguage(LanguageBase_, folders_.data_folder + language->help_page);
  ApplyLanguage();
  emit LanguageChanged(LanguageBase_);
}

void Form2::ApplyLanguage() {
  setWindowTitle(Text(kMainTitle));
  // The menus and main buttons get a letter for Alt, each letter once in the window.
  Mnemonics letters;
  menus_->ApplyTexts(*this, letters);
  SSTab1->ApplyTexts();
  languages_->Menu()->setTitle(letters.Mark(Text(kLanguageMenu)));
  options_->ApplyTexts(LanguageBase_, letters);
  SSTab1->MarkButtons(letters);
  help_->ApplyTexts(letters);
  // Named after what they hold, so that screen readers can tell them apart.
  menuBar()->setAccessibleName(NameOf(Text(kMainTitle)));
  languages_->Menu()->setAccessibleName(NameOf(Text(kLanguageMenu)));
  options_->Menu()->setAccessibleName(NameOf(Text(kOptionsMenu)));
  status_->ApplyTexts();
  shutdown_->ApplyChannel();

  copy_->FillUnits();
  ticker_->ShowStatus();
  source_->FillFilters();
}

}  // namespace orvessa
