#include "app/shutdown_channels.hpp"

#include "i18n/string_table.hpp"
#include "i18n/text_ids.hpp"
#include "ui/form2.hpp"

namespace orvessa {

ShutdownChannels::ShutdownChannels(Form2& window, Inhibitor& inhibitor)
    : window_(window), gnome_(QStringLiteral("org.orvessa.Orvessa")), logind_(inhibitor) {
  QObject::connect(&window, &Form2::AtShutdownArmedChanged, &xsmp_,
                   [this](bool armed) { SetArmed(armed); });
  // The reason the session shows follows the language.
  QObject::connect(&window, &Form2::LanguageChanged, &xsmp_, [this] {
    if (window_.AtShutdownArmed()) SetArmed(true);
  });
  QObject::connect(&xsmp_, &XsmpWatch::EndRequested, &window, &Form2::SessionEndRequested);
  QObject::connect(&gnome_, &GnomeSessionClient::EndRequested, &window,
                   &Form2::SessionEndRequested);
  QObject::connect(&gnome_, &GnomeSessionClient::StopRequested, &window, &Form2::EndBySignal);
}

void ShutdownChannels::SetArmed(bool armed) {
  const std::string why = LoadText(window_.LanguageBase(), text_id::kBackupThenShutdown);
  xsmp_.SetArmed(armed);
  // A GNOME session on X11 speaks both; the same request must not be asked twice.
  gnome_.SetArmed(armed && !XsmpWatch::Connected(), QString::fromStdString(why));
  logind_.SetArmed(armed, why);
}

}  // namespace orvessa
