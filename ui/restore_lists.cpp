#include "ui/restore_lists.hpp"

#include <QHeaderView>
#include <algorithm>

#include "core/run_history.hpp"
#include "i18n/text_ids.hpp"
#include "ui/make_widget.hpp"
#include "ui/qt_text.hpp"

namespace orvessa {
using namespace text_id;
namespace {

QString Bytes(std::uint64_t bytes, const Locale& locale) {
  return Q(locale.FormatWholeNumber(static_cast<std::int64_t>(bytes)));
}

QString Modified(std::int64_t seconds) { return Q(DateTimeText(LocalFromEpoch(seconds))); }

void FitColumns(QTreeWidget* list) {
  for (int column = 0; column < list->columnCount(); ++column) list->resizeColumnToContents(column);
}

// Sizes read right-aligned, so that their digits line up.
QTreeWidgetItem* Row(QTreeWidgetItem* item, const QStringList& cells, int size_column) {
  for (int column = 0; column < cells.size(); ++column) item->setText(column, cells[column]);
  item->setTextAlignment(size_column, Qt::AlignRight | Qt::AlignVCenter);
  return item;
}

void AddFoundItem(QTreeWidget* list, const CopyItem& item, const Locale& locale) {
  const bool is_folder = item.type == EntryType::Folder;
  auto* row = Row(new QTreeWidgetItem(list),
                  {Q(item.copy), Q(item.original), is_folder ? QString() : Bytes(item.size, locale),
                   Modified(item.modified)},
                  2);
  row->setData(0, kCopyRole, Q(item.copy));
  row->setData(0, kPathRole, Q(item.path));
  row->setData(0, kOriginalRole, Q(item.original));
  row->setData(0, kFolderRole, is_folder);
  row->setToolTip(1, Q(item.original));
}

}  // namespace

QString CopyState(const CopyInfo& copy, const TextFn& text) {
  if (copy.run_failed) return text(kRunFailed);
  if (copy.verification_failed) return text(kVerificationFailed);
  QStringList parts;
  if (copy.missing > copy.carried) {
    parts << text(kFilesMissing).arg(copy.missing - copy.carried);
  }
  if (copy.carried > 0) parts << text(kCarriedOverCount).arg(copy.carried);
  return parts.isEmpty() ? text(kCopyComplete) : parts.join(QStringLiteral(", "));
}

void FillCopies(QTreeWidget* list, const std::vector<CopyInfo>& copies, const Locale& locale,
                const TextFn& text) {
  list->clear();
  for (const CopyInfo& copy : copies) {
    auto* row = Row(new QTreeWidgetItem(list),
                    {Q(copy.when), Q(copy.name),
                     copy.bytes ? Bytes(*copy.bytes, locale) : QString(), CopyState(copy, text)},
                    2);
    row->setData(0, kCopyRole, Q(copy.name));
    row->setToolTip(1, Q(copy.path));
  }
}

void FillFolder(QTreeWidget* tree, QTreeWidgetItem* parent, const std::string& folder,
                std::vector<FolderEntry> entries, const Locale& locale,
                const OriginalFn& original) {
  std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
    const bool a_folder = a.type == EntryType::Folder, b_folder = b.type == EntryType::Folder;
    return a_folder != b_folder ? a_folder : a.name < b.name;
  });
  if (parent == nullptr) tree->clear();
  for (const FolderEntry& entry : entries) {
    const bool is_folder = entry.type == EntryType::Folder;
    const std::string path = folder + "/" + entry.name;
    // What is no source's copy (the list of missing files, a job file) is not restorable.
    const QString original_path = original(path);
    if (original_path.isEmpty()) continue;
    QStringList cells{Q(entry.name), is_folder ? QString() : Bytes(entry.size, locale),
                      Modified(entry.modified)};
    auto* row = parent == nullptr ? new QTreeWidgetItem(tree) : new QTreeWidgetItem(parent);
    Row(row, cells, 1);
    row->setData(0, kPathRole, Q(path));
    row->setData(0, kFolderRole, is_folder);
    row->setToolTip(0, original_path);
    if (is_folder) row->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  }
  if (parent == nullptr) FitColumns(tree);
  if (parent != nullptr) {
    parent->setData(0, kListedRole, true);
    parent->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
  }
}

void AddFoundItems(QTreeWidget* list, const std::vector<CopyItem>& items, const Locale& locale) {
  const bool first = list->topLevelItemCount() == 0;
  for (const CopyItem& item : items) AddFoundItem(list, item, locale);
  if (first) FitColumns(list);
}

void FillVersions(QTreeWidget* list, const std::vector<FileVersion>& versions, const Locale& locale,
                  const TextFn& text) {
  list->clear();
  for (const FileVersion& version : versions) {
    Row(new QTreeWidgetItem(list),
        {Q(version.item.copy), Q(version.when), Bytes(version.item.size, locale),
         text(version.changed ? kChanged : kUnchanged)},
        2);
  }
}

void SetHeaders(QTreeWidget* list, std::initializer_list<int> numbers, const TextFn& text) {
  QStringList headers;
  for (int number : numbers) headers << text(number);
  list->setHeaderLabels(headers);
}

// Long lists fit their columns once, not at every row.
QTreeWidget* MakeList(const char* name, int columns, bool multi, bool long_list) {
  auto* list = Make<QTreeWidget>(name);
  list->setColumnCount(columns);
  list->setRootIsDecorated(false);
  list->setUniformRowHeights(true);
  list->setSelectionMode(multi ? QAbstractItemView::ExtendedSelection
                               : QAbstractItemView::SingleSelection);
  list->header()->setStretchLastSection(false);
  list->header()->setSectionResizeMode(long_list ? QHeaderView::Interactive
                                                 : QHeaderView::ResizeToContents);
  return list;
}

RestoreRequest TreeSelection(const QTreeWidget* tree, const BackupJob& job, const CopyInfo& copy) {
  RestoreRequest request;
  request.copy = copy;
  for (const QTreeWidgetItem* item : tree->selectedItems()) {
    const auto original = OriginalOf(job, copy.path, S(item->data(0, kPathRole).toString()));
    if (original) request.originals.push_back(*original);
  }
  return request;
}

std::optional<RestoreRequest> FoundSelection(const QTreeWidget* list,
                                             const std::vector<CopyInfo>& copies) {
  RestoreRequest request;
  QString name;
  for (const QTreeWidgetItem* item : list->selectedItems()) {
    const QString copy = item->data(0, kCopyRole).toString();
    if (!name.isEmpty() && copy != name) return std::nullopt;
    name = copy;
    request.originals.push_back(S(item->data(0, kOriginalRole).toString()));
  }
  const auto copy = FindCopy(copies, S(name));
  if (!copy) return std::nullopt;
  request.copy = *copy;
  return request;
}

}  // namespace orvessa
