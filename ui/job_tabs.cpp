#include "ui/job_tabs.hpp"

#include <QScrollArea>

#include "i18n/text_ids.hpp"
#include "ui/make_widget.hpp"

namespace orvessa {
namespace {

// A tab's page scrolls rather than forcing the window beyond a small or scaled
// screen.
QScrollArea* Scrolling(QWidget* page, const char* name) {
  auto* area = Make<QScrollArea>(name);
  area->setWidget(page);
  area->setWidgetResizable(true);
  area->setFrameShape(QFrame::NoFrame);
  return area;
}

}  // namespace

JobTabs::JobTabs(QWidget& window, TabHost& host, const Form2Services& services, BackupJob& job,
                 JobEditor& editor, SpaceAccounting& space, Measurer& measurer)
    : QTabWidget(&window), host_(host), space_(space) {
  setObjectName(QStringLiteral("SSTab1"));
  source_ = new SourceTab(host, services.fs, services.locale, job, editor, space, measurer);
  destination_ = new DestinationTab(host, services.fs, services.locale, job, editor);
  copy_ = new CopyTab(host, job, window);
  addTab(Scrolling(source_, "SourceScroll"), QString());
  addTab(Scrolling(destination_, "DestinationScroll"), QString());
  addTab(Scrolling(copy_, "CopyScroll"), QString());

  connect(this, &QTabWidget::currentChanged, this, [this](int index) {
    if (!reaction_quiet_ && (index == 1 || index == 2)) {
      host_.MeasureDestination([this, index](const DestinationSpace& space) {
        // The user may have moved on, or a run begun, meanwhile.
        if (currentIndex() == index && !host_.RunInProgress()) space_.ApplyTabSpace(index, space);
      });
    }
  });
  connect(source_, &SourceTab::NeededMeasured, copy_, &CopyTab::ShowNeeded);
  connect(destination_, &DestinationTab::FreeSpaceUnknown, copy_, &CopyTab::ClearFreeSpace);
}

bool JobTabs::ShowQuietly(int index) {
  if (currentIndex() == index) return false;
  reaction_quiet_ = true;  // the caller runs the reaction itself
  setCurrentIndex(index);
  reaction_quiet_ = false;
  return true;
}

bool JobTabs::ShowForRun(int index) {
  if (!ShowQuietly(index)) return false;
  copy_->Run().FocusStopWhileRunning();
  return true;
}

void JobTabs::ApplyTexts() {
  source_->ApplyTexts();
  destination_->ApplyTexts();
  copy_->ApplyTexts();
  // Controls without a caption of their own are named after what they hold, so
  // that screen readers and the accessibility tree can tell them apart.
  setAccessibleName(NameOf(host_.Text(text_id::kMainTitle)));
  const int pages[] = {text_id::kSourceTab, text_id::kDestinationTab, text_id::kCopyTab};
  for (int tab = 0; tab < 3; ++tab) {
    setTabText(tab, host_.Text(pages[tab]));
    widget(tab)->setAccessibleName(NameOf(host_.Text(pages[tab])));
    if (auto* area = qobject_cast<QScrollArea*>(widget(tab))) {
      area->widget()->setAccessibleName(NameOf(host_.Text(pages[tab])));
    }
  }
}

void JobTabs::MarkButtons(Mnemonics& letters) {
  copy_->MarkButtons(letters);
  source_->MarkButtons(letters);
  destination_->MarkButtons(letters);
}

void JobTabs::SetTabOrder() {
  source_->SetTabOrder();
  destination_->SetTabOrder();
  copy_->SetTabOrder();
}

}  // namespace orvessa
