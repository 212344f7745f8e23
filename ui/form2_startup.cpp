// The Options menu's two items: start with the session or not.
#include "i18n/text_ids.hpp"
#include "ui/dialogs.hpp"
#include "ui/form2.hpp"
#include "ui/qt_text.hpp"

namespace orvessa {

// The autostart folder is found again at every use; start-up needs only the marks it gives.
void Form2::ReadSpecialFolders() { ShowStartupMarks(); }

// The marks always say what the session will do, never what was merely asked for.
void Form2::ShowStartupMarks() {
  const bool enabled = autostart_.IsEnabled();
  mnuOpInicioSi->setChecked(enabled);
  mnuOpInicioNo->setChecked(!enabled);
}

void Form2::mnuOpInicioSi_Click() {
  EndStartupChoice(autostart_.Enable(), text_id::kStartWithSession);
}

void Form2::mnuOpInicioNo_Click() {
  EndStartupChoice(autostart_.Disable(), text_id::kNoStartWithSession);
}

// A choice that failed is said, with the system's reason; the marks then show the truth.
void Form2::EndStartupChoice(const std::string& error, int caption) {
  if (!error.empty()) {
    Dialogs::Message(this, Text(caption) + QStringLiteral("\n\n") + Q(error),
                     MessageIcon::Critical);
  }
  ShowStartupMarks();
}

}  // namespace orvessa
