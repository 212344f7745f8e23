#include "ui/restore_panel.hpp"

#include <QHBoxLayout>
#include <QStringList>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>

#include "i18n/text_ids.hpp"
#include "ui/dialogs.hpp"
#include "ui/make_widget.hpp"
#include "ui/qt_text.hpp"
#include "ui/restore_worker.hpp"

namespace orvessa {
using namespace text_id;
namespace {

// The restore's progress reaches the window at most ten times a second.
class PostedProgress : public RestoreProgress {
 public:
  PostedProgress(RestoreWorker& worker, std::function<void(std::uint64_t, std::uint64_t)> show)
      : worker_(worker), show_(std::move(show)) {}
  void Progress(std::uint64_t done, std::uint64_t total, const std::string&) override {
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < std::chrono::milliseconds(100)) return;
    last_ = now;
    worker_.Post([show = show_, done, total] { show(done, total); });
  }

 private:
  RestoreWorker& worker_;
  std::function<void(std::uint64_t, std::uint64_t)> show_;
  std::chrono::steady_clock::time_point last_{};
};

void DropNested(std::vector<std::string>& originals) {
  std::sort(originals.begin(), originals.end());
  originals.erase(std::unique(originals.begin(), originals.end()), originals.end());
  std::vector<std::string> kept;
  for (std::string& path : originals) {
    if (!kept.empty() && path.starts_with(kept.back() + "/")) continue;
    kept.push_back(std::move(path));
  }
  originals = std::move(kept);
}

}  // namespace

RestorePanel::RestorePanel(RestoreServices services, SelectionFn selected, TextFn text,
                           QWidget* parent)
    : QWidget(parent),
      services_(services),
      selected_(std::move(selected)),
      text_(std::move(text)),
      restore_(new RestoreWorker(this)) {
  cmdRestoreInPlace = Make<QPushButton>("cmdRestoreInPlace");
  cmdRestoreToFolder = Make<QPushButton>("cmdRestoreToFolder");
  cmdStopRestore = Make<QPushButton>("cmdStopRestore");
  barRestore = Make<QProgressBar>("barRestore");
  barRestore->setRange(0, 1000);
  // A long list of failures scrolls rather than pushing the window off the screen.
  txtSummary = Make<QPlainTextEdit>("txtSummary");
  txtSummary->setReadOnly(true);
  txtSummary->setMaximumHeight(txtSummary->fontMetrics().lineSpacing() * 5);
  txtSummary->hide();  // until a restore ends

  // Stop sits with the bar it stops, so the restore buttons' long captions have the row.
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(cmdRestoreInPlace);
  buttons->addWidget(cmdRestoreToFolder);
  buttons->addStretch(1);
  auto* progress = new QHBoxLayout;
  progress->addWidget(barRestore, 1);
  progress->addWidget(cmdStopRestore);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(buttons);
  layout->addLayout(progress);
  layout->addWidget(txtSummary);

  connect(cmdRestoreInPlace, &QPushButton::clicked, this, [this] { RestoreClicked(false); });
  connect(cmdRestoreToFolder, &QPushButton::clicked, this, [this] { RestoreClicked(true); });
  connect(cmdStopRestore, &QPushButton::clicked, this, [this] { restore_->Stop(); });
}

RestorePanel::~RestorePanel() {
  delete restore_;  // its tasks post into the panel: they end before its controls go
}

bool RestorePanel::Busy() const { return restore_->Busy(); }

void RestorePanel::ChainTabOrderAfter(QWidget* previous) {
  ChainTabOrder({previous, cmdRestoreInPlace, cmdRestoreToFolder, cmdStopRestore, txtSummary});
}

void RestorePanel::ApplyTexts() {
  cmdRestoreInPlace->setText(text_(kRestoreInPlace));
  cmdRestoreToFolder->setText(text_(kRestoreToFolder));
  cmdStopRestore->setText(text_(kStop));
  barRestore->setAccessibleName(text_(kProgress));
  txtSummary->setAccessibleName(text_(kRestoreTitle));
}

// A path chosen together with a folder that holds it is restored with that folder.
std::optional<RestoreRequest> RestorePanel::Chosen() const {
  auto request = selected_();
  if (!request || request->originals.empty()) return std::nullopt;
  DropNested(request->originals);
  return request;
}

void RestorePanel::UpdateButtons() {
  const bool chosen = !restoring_ && Chosen().has_value();
  cmdRestoreInPlace->setEnabled(chosen);
  cmdRestoreToFolder->setEnabled(chosen);
  cmdStopRestore->setEnabled(restoring_);
}

void RestorePanel::SetRestoring(bool restoring) {
  restoring_ = restoring;
  UpdateButtons();
}

void RestorePanel::RestoreClicked(bool to_folder) {
  auto request = Chosen();
  if (!request || restoring_) return;
  if (to_folder) {
    request->to_folder = S(Dialogs::BrowseForFolder(this, text_(kRestoreToFolder)));
    if (request->to_folder.empty()) return;
  }
  request->today = services_.clock.Now().date;
  txtSummary->clear();
  txtSummary->hide();
  barRestore->setValue(0);
  SetRestoring(true);
  Plan(std::move(*request), false);
}

// The plan only reads, but what lies in the way may be on a slow disk.
void RestorePanel::Plan(RestoreRequest request, bool asked) {
  restore_->Add([this, request = std::move(request), job = job_, asked](std::stop_token stop) {
    RestorePlan plan = PlanRestore(services_.fs, services_.copier, job, request, stop);
    restore_->Post([this, request, asked, plan = std::move(plan)]() mutable {
      Planned(std::move(request), std::move(plan), asked);
    });
  });
}

void RestorePanel::Planned(RestoreRequest request, RestorePlan plan, bool asked) {
  if (plan.differing > 0 && !asked) {
    const QString count = QString::number(plan.differing);
    const int answer =
        Dialogs::Choose(this, text_(kFilesDiffer).arg(count), MessageIcon::Exclamation,
                        {text_(kKeepBoth), text_(kReplaceFiles).arg(count)}, text_(kCancel));
    if (answer < 0) {
      SetRestoring(false);
      return;
    }
    if (answer == 1) {
      request.replace = true;
      Plan(std::move(request), true);
      return;
    }
  }
  Run(std::move(plan));
}

void RestorePanel::Run(RestorePlan plan) {
  plan_problems_ = plan.problems;
  restore_->Add([this, plan = std::move(plan)](std::stop_token stop) {
    PostedProgress progress(
        *restore_, [this](std::uint64_t done, std::uint64_t total) { ShowProgress(done, total); });
    RestoreResult result = RunRestore(services_.fs, services_.copier, plan, &progress, stop);
    restore_->Post([this, result = std::move(result)] {
      SetRestoring(false);
      barRestore->setValue(result.stopped ? barRestore->value() : barRestore->maximum());
      ShowSummary(result, plan_problems_);
    });
  });
}

void RestorePanel::ShowProgress(std::uint64_t done, std::uint64_t total) {
  if (total == 0) return;
  barRestore->setValue(static_cast<int>(std::min<std::uint64_t>(done, total) * 1000 / total));
}

void RestorePanel::ShowSummary(const RestoreResult& result,
                               const std::vector<FailedPath>& problems) {
  QStringList lines;
  if (result.stopped) lines << text_(kRestoreStopped);
  const auto count = [&](int caption, std::uint64_t value) {
    lines << text_(caption) + QStringLiteral(": ") + QString::number(value);
  };
  count(kFilesRestored, result.files);
  count(kSkippedIdentical, result.skipped);
  count(kKeptBoth, result.kept_both);
  if (result.replaced > 0) count(kReplaced, result.replaced);
  count(kFailed, result.failed + problems.size());
  for (const auto* failures : {&problems, &result.failures}) {
    for (const FailedPath& failed : *failures) lines << Q(failed.path + ": " + failed.reason);
  }
  txtSummary->setPlainText(lines.join(QLatin1Char('\n')));
  txtSummary->show();
}

}  // namespace orvessa
