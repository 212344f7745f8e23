#include "ui/form4.hpp"

#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QProcess>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "i18n/string_table.hpp"
#include "i18n/text_ids.hpp"
#include "ui/dialogs.hpp"
#include "ui/qt_text.hpp"

namespace orvessa {
namespace {

using namespace text_id;

QLabel* MakeLabel(const char* name, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromUtf8(name));
  return label;
}

}  // namespace

std::vector<SysInfoTool> DefaultSysInfoTools() {
  return {{QStringLiteral("hardinfo"), {}},
          {QStringLiteral("kinfocenter"), {}},
          {QStringLiteral("gnome-control-center"), {QStringLiteral("info-overview")}},
          {QStringLiteral("gnome-system-monitor"), {}}};
}

Form4::Form4(QWidget* parent, std::int16_t language_base, UrlOpener* opener,
             std::vector<SysInfoTool> tools)
    : QDialog(parent), language_base_(language_base), opener_(opener), tools_(std::move(tools)) {
  setObjectName(QStringLiteral("Form4"));
  setModal(false);
  setAttribute(Qt::WA_DeleteOnClose);

  Image1 = MakeLabel("Image1", this);
  lblTitle = MakeLabel("lblTitle", this);
  QFont title_font = lblTitle->font();
  title_font.setPointSizeF(title_font.pointSizeF() * 1.6);
  title_font.setBold(true);
  lblTitle->setFont(title_font);
  lblVersion = MakeLabel("lblVersion", this);
  Label1 = MakeLabel("Label1", this);
  Label1->setWordWrap(true);
  lblDescription = MakeLabel("lblDescription", this);
  lblDescription->setWordWrap(true);
  lblDisclaimer = MakeLabel("lblDisclaimer", this);
  lblDisclaimer->setWordWrap(true);
  lblPaginaweb2 = MakeLabel("lblP\u00e1ginaweb2", this);
  lblPaginaweb2->setTextFormat(Qt::RichText);
  lblPaginaweb2->setTextInteractionFlags(Qt::LinksAccessibleByMouse |
                                         Qt::LinksAccessibleByKeyboard);
  lblPaginaweb2->setCursor(Qt::PointingHandCursor);
  cmdSysInfo = new QPushButton(this);
  cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
  cmdOK = new QPushButton(this);
  cmdOK->setObjectName(QStringLiteral("cmdOK"));
  cmdOK->setDefault(true);

  auto* texts = new QVBoxLayout;
  for (QLabel* label : {lblTitle, lblVersion, Label1, lblDescription}) texts->addWidget(label);
  texts->addSpacing(8);
  texts->addWidget(lblPaginaweb2);
  auto* top = new QHBoxLayout;
  top->addWidget(Image1, 0, Qt::AlignTop);
  top->addLayout(texts, 1);
  // Below the texts rather than beside them, so that long lines keep the box's width.
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdSysInfo);
  buttons->addWidget(cmdOK);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addSpacing(12);
  // The legal notice across the whole box, so it wraps into a few long lines.
  layout->addWidget(lblDisclaimer);
  layout->addSpacing(12);
  layout->addLayout(buttons);
  setMinimumWidth(fontMetrics().averageCharWidth() * 72);

  connect(cmdOK, &QPushButton::clicked, this, [this] { close(); });
  connect(cmdSysInfo, &QPushButton::clicked, this, [this] { StartSysInfo(); });
  connect(lblPaginaweb2, &QLabel::linkActivated, this, [this](const QString& link) {
    if (opener_ != nullptr) opener_->OpenUrl(link.toStdString());
  });
}

QString Form4::Text(int number) const { return Q(LoadText(language_base_, number)); }

void Form4::Form_Load() {
  // The prefix is the same in every language.
  setWindowTitle(QStringLiteral("Acerca de Orvessa"));
  lblTitle->setText(QStringLiteral("Orvessa"));
  lblVersion->setText(Text(kVersion) + QLatin1Char(' ') + QStringLiteral(ORVESSA_VERSION));
  Image1->setPixmap(QApplication::windowIcon().pixmap(64, 64));
  Label1->setText(Text(kMadeBy));
  lblDescription->setText(QStringLiteral("Copyright \u00a9 2026 Orvessa Software. MIT License."));
  lblDisclaimer->setText(Text(kLegalNotice).trimmed());
  const QString web = Q(std::string(kWebAddress));
  lblPaginaweb2->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(web.toHtmlEscaped()));
  lblPaginaweb2->setAccessibleName(web);
  cmdSysInfo->setText(Text(kSystemInfo));
  cmdOK->setText(Text(kOk));
  // Tall enough for the wrapped texts at the width the box gets, at any scale.
  adjustSize();
  setMinimumHeight(layout()->totalHeightForWidth(width()));
}

void Form4::StartSysInfo() {
  for (const SysInfoTool& tool : tools_) {
    const QString path = QStandardPaths::findExecutable(tool.program);
    if (path.isEmpty()) continue;
    if (QProcess::startDetached(path, tool.arguments)) return;
  }
  Dialogs::Message(this, Text(kNoSystemInfo), MessageIcon::None);
}

void Form4::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) emit Activated();
}

}  // namespace orvessa
