#include "ui/status_panels.hpp"

#include "i18n/text_ids.hpp"
#include "ui/make_widget.hpp"
#include "ui/value_labels.hpp"

namespace orvessa {
using namespace text_id;

StatusPanels::StatusPanels(QMainWindow& window, const TabHost& host)
    : QObject(&window), host_(host) {
  StatusBar1 = Make<QStatusBar>("StatusBar1");
  StatusBar1->setSizeGripEnabled(true);
  for (int i = 0; i < 5; ++i) {
    auto* panel = new QLabel;
    panel->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setMinimumWidth(60);
    StatusBar1->addPermanentWidget(panel, i == 2 ? 1 : 0);
    Panel[static_cast<std::size_t>(i)] = panel;
  }
  window.setStatusBar(StatusBar1);
}

void StatusPanels::ShowOutcome(Outcome outcome) {
  static constexpr int kTexts[] = {0, kSuccessful, kError, kStopped};
  outcome_ = outcome;
  // Before any run or loaded job there is no outcome to show.
  if (outcome_ == Outcome::None) return;
  Panel[4]->setText(host_.Text(kTexts[static_cast<int>(outcome_)]));
}

void StatusPanels::ApplyTexts() {
  Panel[0]->setText(host_.Text(kLastCopy));
  // Labels that show a value are heard with it; their caption says what it is.
  const std::pair<QLabel*, int> values[] = {{Panel[1], kJobFile},
                                            {Panel[2], kDestinationFolder},
                                            {Panel[3], kLastCopy},
                                            {Panel[4], kLastOutcome}};
  for (const auto& [label, number] : values) SetValueCaption(label, NameOf(host_.Text(number)));
  Panel[0]->setAccessibleName(QString());  // a caption: heard as it reads
  StatusBar1->setAccessibleName(NameOf(host_.Text(kLastCopy)));
  ShowOutcome(outcome_);
}

}  // namespace orvessa
