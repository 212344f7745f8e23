// The language menu and the texts of the window in the current language.
#include <QApplication>
#include <QMenuBar>
#include <QScrollArea>
#include <QTabWidget>

#include "i18n/string_table.hpp"
#include "i18n/text_ids.hpp"
#include "ui/copy_tab.hpp"
#include "ui/destination_tab.hpp"
#include "ui/form2.hpp"
#include "ui/language_menu.hpp"
#include "ui/make_widget.hpp"
#include "ui/mnemonics.hpp"
#include "ui/options_menu.hpp"
#include "ui/qt_text.hpp"
#include "ui/schedule_ticker.hpp"
#include "ui/source_tab.hpp"
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
  mnuAbreTrab->setText(Text(kLoadJob));
  mnuGuardaTrab->setText(Text(kSaveJob));
  mnuArchivo_Salir->setText(Text(kExit));
  mnupopRestaurar->setText(Text(kTrayRestore));
  mnupopSalir->setText(Text(kTrayExit));

  source_->ApplyTexts();
  destination_->ApplyTexts();
  copy_->ApplyTexts();

  // The menus and main buttons get a letter for Alt, each letter once in the window.
  Mnemonics letters;
  MenuArchivo->setTitle(letters.Mark(Text(kFileMenu)));
  languages_->Menu()->setTitle(letters.Mark(Text(kLanguageMenu)));
  options_->ApplyTexts(LanguageBase_, letters);
  copy_->MarkButtons(letters);
  source_->MarkButtons(letters);
  destination_->MarkButtons(letters);
  help_->ApplyTexts(letters);

  // Controls without a caption of their own are named after what they hold, so that
  // screen readers and the accessibility tree can tell them apart.
  SSTab1->setAccessibleName(NameOf(Text(kMainTitle)));
  const int pages[] = {kSourceTab, kDestinationTab, kCopyTab};
  for (int tab = 0; tab < 3; ++tab) {
    SSTab1->setTabText(tab, Text(pages[tab]));
    SSTab1->widget(tab)->setAccessibleName(NameOf(Text(pages[tab])));
    if (auto* area = qobject_cast<QScrollArea*>(SSTab1->widget(tab))) {
      area->widget()->setAccessibleName(NameOf(Text(pages[tab])));
    }
  }
  menuBar()->setAccessibleName(NameOf(Text(kMainTitle)));
  MenuArchivo->setAccessibleName(NameOf(Text(kFileMenu)));
  languages_->Menu()->setAccessibleName(NameOf(Text(kLanguageMenu)));
  mnuSystray->setAccessibleName(QStringLiteral("Orvessa"));
  options_->Menu()->setAccessibleName(NameOf(Text(kOptionsMenu)));
  status_->ApplyTexts();
  shutdown_->ApplyChannel();

  copy_->FillUnits();
  ticker_->ShowStatus();
  source_->FillFilters();
}

}  // namespace orvessa
