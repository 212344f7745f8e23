#include <QMenuBar>

#include "core/run_options.hpp"
#include "i18n/text_ids.hpp"
#include "ui/form2.hpp"

namespace orvessa {

using namespace text_id;

void Form2::BuildOptionsMenu() {
  mnuOpciones->addSeparator();
  mnuCompartir = mnuOpciones->addAction(QString());
  mnuCompartir->setObjectName(QStringLiteral("mnuCompartir"));
  mnuCompartir->setCheckable(true);
  const bool share = StoredShareUnchanged(settings_);
  mnuCompartir->setChecked(share);
  share_unchanged_ = share;
  connect(mnuCompartir, &QAction::toggled, this, [this](bool on) {
    StoreShareUnchanged(settings_, on);
    share_unchanged_ = on;
  });
}

void Form2::ApplyOptionsTexts() { mnuCompartir->setText(Text(kShareUnchangedFiles)); }

}  // namespace orvessa
