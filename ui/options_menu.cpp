#include "ui/options_menu.hpp"

#include "core/run_options.hpp"
#include "i18n/string_table.hpp"
#include "i18n/text_ids.hpp"
#include "ui/dialogs.hpp"
#include "ui/mnemonics.hpp"
#include "ui/qt_text.hpp"

namespace orvessa {

using namespace text_id;

OptionsMenu::OptionsMenu(QMenuBar& bar, QWidget& window, Autostart& autostart,
                         SettingsStore& settings)
    : QObject(&window),
      window_(window),
      autostart_(autostart),
      settings_(settings),
      language_base_(kEnglishBase),
      share_unchanged_(StoredShareUnchanged(settings)) {
  setObjectName(QStringLiteral("OptionsMenu"));
  mnuOpciones = bar.addMenu(QString());
  mnuOpciones->setObjectName(QStringLiteral("mnuOpciones"));
  mnuOpInicioSi = mnuOpciones->addAction(QString());
  mnuOpInicioSi->setObjectName(QStringLiteral("mnuOpInicioSi"));
  mnuOpInicioSi->setCheckable(true);
  mnuOpInicioNo = mnuOpciones->addAction(QString());
  mnuOpInicioNo->setObjectName(QStringLiteral("mnuOpInicioNo"));
  mnuOpInicioNo->setCheckable(true);
  mnuOpciones->addSeparator();
  mnuCompartir = mnuOpciones->addAction(QString());
  mnuCompartir->setObjectName(QStringLiteral("mnuCompartir"));
  mnuCompartir->setCheckable(true);
  mnuCompartir->setChecked(share_unchanged_);

  connect(mnuOpInicioSi, &QAction::triggered, this, [this] { mnuOpInicioSi_Click(); });
  connect(mnuOpInicioNo, &QAction::triggered, this, [this] { mnuOpInicioNo_Click(); });
  connect(mnuCompartir, &QAction::toggled, this, [this](bool on) {
    StoreShareUnchanged(settings_, on);
    share_unchanged_ = on;
  });
}

void OptionsMenu::ApplyTexts(std::int16_t language_base, Mnemonics& letters) {
  language_base_ = language_base;
  const auto Text = [this](int number) { return Q(LoadText(language_base_, number)); };
  mnuOpciones->setTitle(letters.Mark(Text(kOptionsMenu)));
  mnuOpInicioSi->setText(Text(kStartWithSession));
  mnuOpInicioNo->setText(Text(kNoStartWithSession));
  mnuCompartir->setText(Text(kShareUnchangedFiles));
}

void OptionsMenu::ShowStartupMarks() {
  const bool enabled = autostart_.IsEnabled();
  mnuOpInicioSi->setChecked(enabled);
  mnuOpInicioNo->setChecked(!enabled);
}

void OptionsMenu::mnuOpInicioSi_Click() {
  EndStartupChoice(autostart_.Enable(), kStartWithSession);
}

void OptionsMenu::mnuOpInicioNo_Click() {
  EndStartupChoice(autostart_.Disable(), kNoStartWithSession);
}

void OptionsMenu::EndStartupChoice(const std::string& error, int caption) {
  if (!error.empty()) {
    Dialogs::Message(&window_,
                     Q(LoadText(language_base_, caption)) + QStringLiteral("\n\n") + Q(error),
                     MessageIcon::Critical);
  }
  ShowStartupMarks();
}

}  // namespace orvessa
