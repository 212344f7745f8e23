#include "ui/help_menu.hpp"

#include <QUrl>

#include "i18n/string_table.hpp"
#include "i18n/text_ids.hpp"
#include "ui/mnemonics.hpp"
#include "ui/qt_text.hpp"

namespace orvessa {
namespace {

using namespace text_id;

// The query is handed over as it stands; the opener encodes it for the mail program.
std::string SupportMailLink(std::int16_t language_base) {
  std::string link = "mailto:";
  link.append(kSupportAddress);
  link.append(language_base == kSpanishBase
                  ? "?subject=Soporte T\u00e9cnico&body=Escriba a continuaci\u00f3n su consulta o "
                    "descripci\u00f3n del problema:"
                  : "?subject=Technical Support&body=Write here your consultation or trouble "
                    "description:");
  return link;
}

}  // namespace

HelpMenu::HelpMenu(QMenuBar& bar, QWidget& window, UrlOpener& opener)
    : QObject(&window), window_(window), opener_(opener), language_base_(kEnglishBase) {
  setObjectName(QStringLiteral("HelpMenu"));
  mnuAyuda = bar.addMenu(QString());
  mnuAyuda->setObjectName(QStringLiteral("mnuAyuda"));
  mnuAyudaContenido = mnuAyuda->addAction(QString());
  mnuAyudaContenido->setObjectName(QStringLiteral("mnuAyudaContenido"));
  mnuAyudaContenido->setShortcut(QKeySequence::HelpContents);
  mnuAyudaContenido->setShortcutContext(Qt::WindowShortcut);
  mnuContacto = mnuAyuda->addMenu(QString());
  mnuContacto->setObjectName(QStringLiteral("mnuContacto"));
  mnuWeb = mnuContacto->addAction(QString());
  mnuWeb->setObjectName(QStringLiteral("mnuWeb"));
  mnuEmail = mnuContacto->addAction(QString());
  mnuEmail->setObjectName(QStringLiteral("mnuEmail"));
  mnuAyuda->addSeparator()->setObjectName(QStringLiteral("Separador"));
  mnuAyudaAcercade = mnuAyuda->addAction(QString());
  mnuAyudaAcercade->setObjectName(QStringLiteral("mnuAyudaAcercade"));

  connect(mnuAyudaContenido, &QAction::triggered, this, [this] { mnuAyudaContenido_Click(); });
  connect(mnuWeb, &QAction::triggered, this, [this] { mnuWeb_Click(); });
  connect(mnuEmail, &QAction::triggered, this, [this] { mnuEmail_Click(); });
  connect(mnuAyudaAcercade, &QAction::triggered, this, [this] { mnuAyudaAcercade_Click(); });
}

void HelpMenu::SetLanguage(std::int16_t language_base, std::string help_file) {
  language_base_ = language_base;
  help_file_ = std::move(help_file);
}

void HelpMenu::ApplyTexts(Mnemonics& letters) {
  const auto Text = [this](int number) { return Q(LoadText(language_base_, number)); };
  mnuAyuda->setTitle(letters.Mark(Text(kHelpMenu)));
  mnuAyuda->setAccessibleName(Text(kHelpMenu));
  // Menu entries are read as plain text: an "&" of their own must show.
  const auto plain = [](QString text) {
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
  };
  mnuAyudaContenido->setText(plain(Text(kHelpContents)));
  mnuContacto->setTitle(plain(Text(kContactMenu)));
  mnuContacto->setAccessibleName(Text(kContactMenu));
  mnuWeb->setText(plain(Text(kWebPage)));
  mnuEmail->setText(plain(Text(kEmailSupport)));
  mnuAyudaAcercade->setText(plain(Text(kAbout)));
}

void HelpMenu::mnuAyudaContenido_Click() {
  if (help_file_.empty()) return;
  opener_.OpenUrl(S(QUrl::fromLocalFile(Q(help_file_)).toString(QUrl::FullyEncoded)));
}

void HelpMenu::mnuWeb_Click() { opener_.OpenUrl(std::string(kWebAddress)); }

void HelpMenu::mnuEmail_Click() { opener_.OpenUrl(SupportMailLink(language_base_)); }

void HelpMenu::mnuAyudaAcercade_Click() {
  if (about_box_ == nullptr) {
    about_box_ = new Form4(&window_, language_base_, &opener_);
    connect(about_box_, &Form4::Activated, this, &HelpMenu::AboutActivated);
    about_box_->Form_Load();
  }
  about_box_->show();
  about_box_->raise();
  about_box_->activateWindow();
}

}  // namespace orvessa
