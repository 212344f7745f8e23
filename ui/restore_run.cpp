// The Restore window's restore: what is chosen, the plan, the question, the run, the summary.
#include <QStringList>
#include <algorithm>
#include <chrono>

#include "i18n/text_ids.hpp"
#include "ui/dialogs.hpp"
#include "ui/qt_text.hpp"
#include "ui/restore_lists.hpp"
#include "ui/restore_window.hpp"
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

// A path chosen together with a folder that holds it is restored with that folder.
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

// The files and folders selected on the page shown, all of one copy.
std::optional<RestoreRequest> RestoreWindow::Selected() const {
  RestoreRequest request;
  const int tab = tabsRestore->currentIndex();
  if (tab == kContentsTab) {
    const auto copy = ChosenCopy();
    if (!copy) return std::nullopt;
    request.copy = *copy;
    for (const QTreeWidgetItem* item : treeCopy->selectedItems()) {
      const auto original = OriginalOf(job_, copy->path, S(item->data(0, kPathRole).toString()));
      if (original) request.originals.push_back(*original);
    }
  } else if (tab == kSearchTab || tab == kDeletedTab) {
    QString name;
    for (const QTreeWidgetItem* item :
         (tab == kSearchTab ? lstFound : lstDeleted)->selectedItems()) {
      const QString copy = item->data(0, kCopyRole).toString();
      if (!name.isEmpty() && copy != name) return std::nullopt;
      name = copy;
      request.originals.push_back(S(item->data(0, kOriginalRole).toString()));
    }
    const auto copy = FindCopy(copies_, S(name));
    if (!copy) return std::nullopt;
    request.copy = *copy;
  }
  if (request.originals.empty()) return std::nullopt;
  DropNested(request.originals);
  return request;
}

void RestoreWindow::UpdateButtons() {
  const bool chosen = !restoring_ && Selected().has_value();
  cmdRestoreInPlace->setEnabled(chosen);
  cmdRestoreToFolder->setEnabled(chosen);
  cmdStopRestore->setEnabled(restoring_);
}

void RestoreWindow::SetRestoring(bool restoring) {
  restoring_ = restoring;
  UpdateButtons();
}

void RestoreWindow::RestoreClicked(bool to_folder) {
  auto request = Selected();
  if (!request || restoring_) return;
  if (to_folder) {
    request->to_folder = S(Dialogs::BrowseForFolder(this, Text(kRestoreToFolder)));
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
void RestoreWindow::Plan(RestoreRequest request, bool asked) {
  restore_->Add([this, request = std::move(request), job = job_, asked](std::stop_token stop) {
    RestorePlan plan = PlanRestore(services_.fs, services_.copier, job, request, stop);
    restore_->Post([this, request, asked, plan = std::move(plan)]() mutable {
      Planned(std::move(request), std::move(plan), asked);
    });
  });
}

void RestoreWindow::Planned(RestoreRequest request, RestorePlan plan, bool asked) {
  if (plan.differing > 0 && !asked) {
    const QString count = QString::number(plan.differing);
    const int answer =
        Dialogs::Choose(this, Text(kFilesDiffer).arg(count), MessageIcon::Exclamation,
                        {Text(kKeepBoth), Text(kReplaceFiles).arg(count)}, Text(kCancel));
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

void RestoreWindow::Run(RestorePlan plan) {
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

void RestoreWindow::ShowProgress(std::uint64_t done, std::uint64_t total) {
  if (total == 0) return;
  barRestore->setValue(static_cast<int>(std::min<std::uint64_t>(done, total) * 1000 / total));
}

void RestoreWindow::ShowSummary(const RestoreResult& result,
                                const std::vector<FailedPath>& problems) {
  QStringList lines;
  if (result.stopped) lines << Text(kRestoreStopped);
  const auto count = [&](int caption, std::uint64_t value) {
    lines << Text(caption) + QStringLiteral(": ") + QString::number(value);
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
