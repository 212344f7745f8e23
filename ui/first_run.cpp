#include "ui/first_run.hpp"

#include "i18n/string_table.hpp"
#include "i18n/text_ids.hpp"
#include "ui/dialogs.hpp"
#include "ui/qt_text.hpp"

namespace orvessa {

bool LearnShutdownChannel(QWidget* owner, SettingsStore& settings, const SessionProbe& probe,
                          std::int16_t language_base) {
  if (!settings.Get("Language", "ShutDown", "").empty()) return false;
  settings.Save("Language", "ShutDown", DetectShutdownChannel(probe));
  Dialogs::Message(owner, Q(LoadText(language_base, text_id::kWelcome)), MessageIcon::Information);
  return true;
}

}  // namespace orvessa
