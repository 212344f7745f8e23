#include "ui/restore_window.hpp"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>
#include <chrono>

#include "core/copy_search.hpp"
#include "core/run_history.hpp"
#include "i18n/string_table.hpp"
#include "i18n/text_ids.hpp"
#include "ui/make_widget.hpp"
#include "ui/qt_text.hpp"
#include "ui/restore_lists.hpp"
#include "ui/restore_worker.hpp"
#include "ui/value_labels.hpp"

namespace orvessa {
using namespace text_id;
namespace {

// Found items reach the window in batches, so that a search finding thousands does not
// flood the window's thread with one event each.
constexpr std::size_t kBatchItems = 200;
constexpr auto kBatchTime = std::chrono::milliseconds(100);

QWidget* Page(std::initializer_list<QWidget*> rows, QLayout* top = nullptr) {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  if (top != nullptr) layout->addLayout(top);
  for (QWidget* row : rows) layout->addWidget(row);
  return page;
}

}  // namespace

RestoreWindow::RestoreWindow(RestoreServices services, std::string state_folder,
                             std::int16_t language_base, QWidget* parent)
    : QWidget(parent, Qt::Window),
      services_(services),
      state_folder_(std::move(state_folder)),
      language_base_(language_base),
      browse_(new RestoreWorker(this)),
      search_(new RestoreWorker(this)) {
  setObjectName(QStringLiteral("RestoreWindow"));
  setAttribute(Qt::WA_DeleteOnClose);
  Build();
  Connect();
  ApplyTexts();
  panel_->UpdateButtons();
  const QScreen* shown_on = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
  QSize size(760, 560);
  // Room is left for the frame the window manager adds.
  if (shown_on != nullptr) size = size.boundedTo(shown_on->availableGeometry().size() * 0.92);
  resize(size);
}

RestoreWindow::~RestoreWindow() {
  // The workers' tasks post into this window: they end before its lists go.
  delete panel_;
  delete search_;
  delete browse_;
}

QString RestoreWindow::Text(int number) const { return Q(LoadText(language_base_, number)); }

bool RestoreWindow::Busy() const { return browse_->Busy() || search_->Busy() || panel_->Busy(); }

void RestoreWindow::Build() {
  lblCopies = Make<QLabel>("lblCopies");
  lstCopies = MakeList("lstCopies", 4, false, false);
  lblCopies->setBuddy(lstCopies);
  treeCopy = MakeList("treeCopy", 3, true, true);
  treeCopy->setRootIsDecorated(true);
  treeCopy->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  lblOriginal = ValueLabel("lblOriginal");
  lblOriginal->setWordWrap(true);
  txtSearch = Make<QLineEdit>("txtSearch");
  cmdSearch = Make<QPushButton>("cmdSearch");
  lstFound = MakeList("lstFound", 4, true, true);
  lblVersionsOf = ValueLabel("lblVersionsOf");
  lblVersionsOf->setWordWrap(true);
  lstVersions = MakeList("lstVersions", 4, false, false);
  lstDeleted = MakeList("lstDeleted", 4, true, true);
  panel_ = new RestorePanel(
      services_, [this] { return Selected(); }, [this](int n) { return Text(n); }, nullptr);

  auto* search_row = new QHBoxLayout;
  search_row->addWidget(txtSearch, 1);
  search_row->addWidget(cmdSearch);
  tabsRestore = Make<QTabWidget>("tabsRestore");
  tabsRestore->addTab(Page({treeCopy, lblOriginal}), QString());
  tabsRestore->addTab(Page({lstFound}, search_row), QString());
  tabsRestore->addTab(Page({lblVersionsOf, lstVersions}), QString());
  tabsRestore->addTab(Page({lstDeleted}), QString());

  // On a small or magnified screen the window scrolls rather than growing past it.
  auto* content = new QWidget;
  auto* layout = new QVBoxLayout(content);
  layout->addWidget(lblCopies);
  layout->addWidget(lstCopies, 1);
  layout->addWidget(tabsRestore, 3);
  layout->addWidget(panel_);
  auto* scroll = Make<QScrollArea>("scrollRestore");
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  scroll->setWidget(content);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(scroll);
  ChainTabOrder(
      {lstCopies, tabsRestore, treeCopy, txtSearch, cmdSearch, lstFound, lstVersions, lstDeleted});
  panel_->ChainTabOrderAfter(lstDeleted);
}

void RestoreWindow::Connect() {
  connect(lstCopies, &QTreeWidget::itemSelectionChanged, this, [this] { CopyChosen(); });
  connect(treeCopy, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
    if (!item->data(0, kListedRole).toBool()) ListFolder(item);
  });
  connect(treeCopy, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* item) { FileChosen(item); });
  connect(lstFound, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* item) { FileChosen(item); });
  for (QTreeWidget* list : {treeCopy, lstFound, lstDeleted}) {
    connect(list, &QTreeWidget::itemSelectionChanged, this, [this, list] {
      const auto selected = list->selectedItems();
      if (selected.size() == 1) SelectedAlone(selected.front());
      panel_->UpdateButtons();
    });
  }
  connect(cmdSearch, &QPushButton::clicked, this, [this] { StartSearch(); });
  connect(txtSearch, &QLineEdit::returnPressed, this, [this] { StartSearch(); });
  connect(tabsRestore, &QTabWidget::currentChanged, this, [this](int tab) { TabShown(tab); });
}

void RestoreWindow::SetLanguage(std::int16_t language_base) {
  language_base_ = language_base;
  ApplyTexts();
  FillCopies(lstCopies, copies_, services_.locale, [this](int n) { return Text(n); });
}

void RestoreWindow::ApplyTexts() {
  setWindowTitle(Text(kRestoreTitle));
  lblCopies->setText(Text(kCopiesCaption));
  const TextFn text = [this](int n) { return Text(n); };
  SetHeaders(lstCopies, {kDateColumn, kNameColumn, kSizeColumn, kStateColumn}, text);
  SetHeaders(treeCopy, {kNameColumn, kSizeColumn, kModifiedColumn}, text);
  for (QTreeWidget* found : {lstFound, lstDeleted}) {
    SetHeaders(found, {kCopyColumn, kOriginalPath, kSizeColumn, kModifiedColumn}, text);
    found->headerItem()->setText(1, NameOf(Text(kOriginalPath)));
  }
  SetHeaders(lstVersions, {kCopyColumn, kDateColumn, kSizeColumn, kStateColumn}, text);
  for (int tab : {kContentsTab, kSearchTab, kVersionsTab, kDeletedTab}) {
    static constexpr int kTitles[] = {kContentsPage, kSearch, kVersionsPage, kDeletedSince};
    tabsRestore->setTabText(tab, Text(kTitles[tab]));
  }
  cmdSearch->setText(Text(kSearch));
  // Lists and boxes are named after what they hold; value labels say "caption: value".
  lstCopies->setAccessibleName(NameOf(Text(kCopiesCaption)));
  treeCopy->setAccessibleName(Text(kCopyContents));
  lstFound->setAccessibleName(Text(kSearchResults));
  lstVersions->setAccessibleName(Text(kVersions));
  lstDeleted->setAccessibleName(Text(kDeletedSince));
  txtSearch->setAccessibleName(Text(kSearch));
  tabsRestore->setAccessibleName(Text(kRestoreTitle));
  SetValueCaption(lblOriginal, NameOf(Text(kOriginalPath)));
  SetValueCaption(lblVersionsOf, Text(kVersions));
  panel_->ApplyTexts();
}

void RestoreWindow::Open(const BackupJob& job) {
  job_ = job;
  panel_->SetJob(job);
  browse_->Cancel();
  search_->Cancel();
  for (QTreeWidget* list : {lstCopies, treeCopy, lstFound, lstVersions, lstDeleted}) list->clear();
  browse_->Add([this, job = job_](std::stop_token) {
    auto copies = ListCopies(services_.fs, job, ReadRunHistory(services_.fs, state_folder_));
    browse_->Post([this, copies = std::move(copies)]() mutable { ShowCopies(std::move(copies)); });
  });
}

void RestoreWindow::ShowCopies(std::vector<CopyInfo> copies) {
  copies_ = std::move(copies);
  FillCopies(lstCopies, copies_, services_.locale, [this](int n) { return Text(n); });
  if (lstCopies->topLevelItemCount() > 0) lstCopies->setCurrentItem(lstCopies->topLevelItem(0));
}

std::optional<CopyInfo> RestoreWindow::ChosenCopy() const {
  // A screen reader may select a row without making it current.
  const auto selected = lstCopies->selectedItems();
  const QTreeWidgetItem* row = selected.isEmpty() ? lstCopies->currentItem() : selected.front();
  if (row == nullptr) return std::nullopt;
  return FindCopy(copies_, S(row->data(0, kCopyRole).toString()));
}

void RestoreWindow::CopyChosen() {
  treeCopy->clear();
  lblOriginal->clear();
  ListFolder(nullptr);
  if (tabsRestore->currentIndex() == kDeletedTab) ShowDeleted();
}

// The folder's entries are read on the worker; the tree fills when they come.
void RestoreWindow::ListFolder(QTreeWidgetItem* folder) {
  const auto copy = ChosenCopy();
  if (!copy) return;
  const std::string path =
      folder == nullptr ? copy->path : S(folder->data(0, kPathRole).toString());
  // A row can go before its entries come: the copy chosen changes, the tree is cleared.
  const auto row = folder == nullptr ? std::optional<QPersistentModelIndex>()
                                     : QPersistentModelIndex(treeCopy->indexFromItem(folder));
  browse_->Add([this, path, row, copy = *copy](std::stop_token) {
    auto entries = services_.fs.ListFolder(path);
    if (!entries) return;
    browse_->Post([this, path, row, copy, entries = std::move(entries).value()]() mutable {
      const auto chosen = ChosenCopy();
      if (!chosen || chosen->path != copy.path || (row && !row->isValid())) return;
      FillFolder(treeCopy, row ? treeCopy->itemFromIndex(*row) : nullptr, path, std::move(entries),
                 services_.locale,
                 [this](const std::string& inside) { return OriginalText(inside); });
    });
  });
}

QString RestoreWindow::OriginalText(const std::string& inside) const {
  const auto copy = ChosenCopy();
  if (!copy) return {};
  const auto original = OriginalOf(job_, copy->path, inside);
  return original ? Q(*original) : QString();
}

// One row selected, also by a screen reader that does not move the current row: its file
// is the one whose versions are shown, and a folder of the copy opens.
void RestoreWindow::SelectedAlone(QTreeWidgetItem* item) {
  FileChosen(item);
  if (item->treeWidget() == treeCopy && item->data(0, kFolderRole).toBool())
    item->setExpanded(true);
}

void RestoreWindow::FileChosen(QTreeWidgetItem* item) {
  if (item == nullptr) return;
  QString original = item->data(0, kOriginalRole).toString();
  if (item->treeWidget() == treeCopy) {
    original = OriginalText(S(item->data(0, kPathRole).toString()));
    lblOriginal->setText(original);
  }
  if (!item->data(0, kFolderRole).toBool() && !original.isEmpty()) {
    chosen_original_ = S(original);
  }
}

void RestoreWindow::StartSearch() {
  search_->Cancel();
  lstFound->clear();
  const std::string needle = S(txtSearch->text().trimmed());
  if (needle.empty()) return;
  tabsRestore->setCurrentIndex(kSearchTab);
  search_->Add([this, needle, job = job_, copies = copies_](std::stop_token stop) {
    std::vector<CopyItem> batch;
    auto sent = std::chrono::steady_clock::now();
    const auto send = [&] {
      search_->Post(
          [this, items = std::move(batch)] { AddFoundItems(lstFound, items, services_.locale); });
      batch.clear();
      sent = std::chrono::steady_clock::now();
    };
    SearchCopies(
        services_.fs, job, copies, needle,
        [&](const CopyItem& item) {
          batch.push_back(item);
          if (batch.size() >= kBatchItems || std::chrono::steady_clock::now() - sent > kBatchTime)
            send();
          return !stop.stop_requested();
        },
        stop);
    if (!batch.empty()) send();
  });
}

void RestoreWindow::TabShown(int tab) {
  if (tab == kVersionsTab) ShowVersions();
  if (tab == kDeletedTab) ShowDeleted();
  panel_->UpdateButtons();
}

void RestoreWindow::ShowVersions() {
  lstVersions->clear();
  lblVersionsOf->setText(Q(chosen_original_));
  if (chosen_original_.empty()) return;
  browse_->Add(
      [this, job = job_, copies = copies_, original = chosen_original_](std::stop_token stop) {
        auto versions = VersionsOf(services_.fs, services_.copier, job, copies, original, stop);
        browse_->Post([this, original, versions = std::move(versions)] {
          if (original != chosen_original_) return;
          FillVersions(lstVersions, versions, services_.locale, [this](int n) { return Text(n); });
        });
      });
}

void RestoreWindow::ShowDeleted() {
  lstDeleted->clear();
  const auto copy = ChosenCopy();
  if (!copy) return;
  browse_->Add([this, job = job_, copy = *copy](std::stop_token stop) {
    std::vector<CopyItem> items;
    DeletedSince(
        services_.fs, job, copy,
        [&items](const CopyItem& item) {
          items.push_back(item);
          return true;
        },
        stop);
    browse_->Post([this, name = copy.name, items = std::move(items)] {
      const auto chosen = ChosenCopy();
      if (!chosen || chosen->name != name) return;
      lstDeleted->clear();
      AddFoundItems(lstDeleted, items, services_.locale);
    });
  });
}

// The files and folders selected on the page shown.
std::optional<RestoreRequest> RestoreWindow::Selected() const {
  const int tab = tabsRestore->currentIndex();
  if (tab == kSearchTab) return FoundSelection(lstFound, copies_);
  if (tab == kDeletedTab) return FoundSelection(lstDeleted, copies_);
  const auto copy = ChosenCopy();
  if (tab != kContentsTab || !copy) return std::nullopt;
  return TreeSelection(treeCopy, job_, *copy);
}

}  // namespace orvessa
