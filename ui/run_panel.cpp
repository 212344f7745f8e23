#include "ui/run_panel.hpp"

#include <QHBoxLayout>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "i18n/text_ids.hpp"
#include "ui/make_widget.hpp"
#include "ui/mnemonics.hpp"
#include "ui/qt_text.hpp"
#include "ui/value_labels.hpp"

namespace orvessa {

using namespace text_id;

RunPanel::RunPanel(TabHost& host, QWidget& window) : host_(host) {
  setObjectName(QStringLiteral("Frame2"));
  Label6 = Make<QLabel>("Label6");
  Label6->setVisible(false);
  Label8 = WrappedLabel("Label8");
  Label8->setMinimumHeight(2 * Label8->fontMetrics().height());
  ProgressBar1 = Make<QProgressBar>("ProgressBar1");
  ProgressBar1->setRange(0, 1000);
  ProgressBar1->setValue(0);
  Animation1 = Make<QLabel>("Animation1");
  Animation1->setAlignment(Qt::AlignCenter);
  Animation1->setMinimumSize(200, 60);
  Animation1->setVisible(false);
  cmdCopiar = Make<QPushButton>("cmdCopiar");
  cmdCopiar->setMinimumHeight(36);
  cmdDetener = Make<QPushButton>("cmdDetener");
  cmdDetener->setMinimumHeight(36);
  cmdDetener->setEnabled(false);
  EscStop = new QShortcut(QKeySequence(Qt::Key_Escape), &window);
  EscStop->setObjectName(QStringLiteral("EscStop"));
  EscStop->setEnabled(false);
  chkShutDown = Make<QCheckBox>("chkShutDown");
  auto* run = new QVBoxLayout(this);
  run->addWidget(Label6);
  run->addWidget(Label8);
  run->addWidget(ProgressBar1);
  run->addWidget(Animation1);
  run->addStretch();
  auto* run_buttons = new QHBoxLayout;
  run_buttons->addWidget(cmdCopiar, 1);
  run_buttons->addWidget(cmdDetener);
  run->addLayout(run_buttons);
  run->addWidget(chkShutDown);

  connect(cmdCopiar, &QPushButton::clicked, this, [this] { emit CopyClicked(); });
  connect(cmdDetener, &QPushButton::clicked, this, [this] { emit StopClicked(); });
  connect(EscStop, &QShortcut::activated, this, [this] { emit StopClicked(); });
}

void RunPanel::ApplyTexts() {
  SetCaptions(host_,
              {{this, kRunningBackup}, {Label6, kCopying}, {chkShutDown, kShutDownWhenFinished}});

  ProgressBar1->setAccessibleName(NameOf(host_.Text(kProgress)));
  Animation1->setAccessibleName(NameOf(host_.Text(kCopying)));
  SetValueCaption(Label8, NameOf(host_.Text(kRunningBackup)));
}

void RunPanel::MarkButtons(Mnemonics& letters) {
  cmdCopiar->setText(letters.Mark(host_.Text(kRunNow)));
  cmdDetener->setText(letters.Mark(host_.Text(kStop)));
}

QLabel* RunPanel::LabelOf(Control label) const {
  return label == Control::Label8 ? Label8 : nullptr;
}

void RunPanel::ShowLocked(bool locked) {
  cmdDetener->setEnabled(locked);
  EscStop->setEnabled(locked);
  QWidget* focus = window()->focusWidget();
  if (locked) {
    cmdDetener->setFocus();
  } else if (focus == nullptr || !focus->isEnabled()) {
    cmdCopiar->setFocus();
  }
}

// The page shown last takes the focus; during a run it belongs to Stop, for Space.
void RunPanel::FocusStopWhileRunning() {
  if (cmdDetener->isEnabled()) cmdDetener->setFocus();
}

void RunPanel::ShowStart(const std::string& animation) {
  CloseAnimation();
  auto movie = std::make_unique<QMovie>(Q(animation));
  // No clip: no animation, nothing else changes.
  if (movie->isValid()) {
    movie_ = std::move(movie);
    Animation1->setMovie(movie_.get());
    movie_->jumpToFrame(0);
  }
  Animation1->setVisible(true);
  Label6->setVisible(true);
}

// The bar counts thousandths of an entry so that it can move inside a large one.
void RunPanel::ShowCopying(int entries) {
  if (movie_) movie_->start();
  ProgressBar1->setRange(0, entries * 1000);
}

void RunPanel::ShowEntry(int index, const QString& text) {
  Label8->setText(text);
  SetProgressValue((index + 1) - 0.1);
}

void RunPanel::SetProgressValue(double value) {
  progress_value_ = value;
  // An entry starting shows where it starts; its bytes then carry the bar on.
  ProgressBar1->setValue(static_cast<int>(std::floor(value)) * 1000);
}

void RunPanel::ShowAllCopied() { SetProgressValue(ProgressBar1->maximum() / 1000.0); }

void RunPanel::ShowBytesCopied(std::uint64_t bytes, double selected_bytes) {
  if (selected_bytes <= 0) return;
  const double entries = ProgressBar1->maximum() / 1000.0;
  const double start = std::floor(progress_value_);
  // The bar follows the bytes of the whole run; it never shows less than the entries done,
  // nor the end before the run has ended.
  const double at = std::clamp(entries * static_cast<double>(bytes) / selected_bytes, start,
                               std::max(start, entries - 0.001));
  ProgressBar1->setValue(static_cast<int>(at * 1000));
}

void RunPanel::ShowEnd() {
  Label6->setVisible(false);
  if (movie_) movie_->stop();
  Animation1->setVisible(false);
  CloseAnimation();
}

void RunPanel::CloseAnimation() {
  Animation1->clear();
  movie_.reset();
}

}  // namespace orvessa
