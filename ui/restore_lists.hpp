#pragma once

#include <QString>
#include <QTreeWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/copy_catalogue.hpp"
#include "core/copy_search.hpp"
#include "core/restore.hpp"
#include "platform/file_system.hpp"
#include "platform/locale.hpp"

namespace orvessa {

using TextFn = std::function<QString(int)>;

// Where a row of the Restore window's lists keeps what it shows.
inline constexpr int kPathRole = Qt::UserRole;          // the path inside the copy
inline constexpr int kFolderRole = Qt::UserRole + 1;    // a folder, listed lazily
inline constexpr int kListedRole = Qt::UserRole + 2;    // its children are in
inline constexpr int kCopyRole = Qt::UserRole + 3;      // the copy's name
inline constexpr int kOriginalRole = Qt::UserRole + 4;  // the original path

// The pages of the Restore window, in order.
enum RestoreTab { kContentsTab, kSearchTab, kVersionsTab, kDeletedTab };

// An empty list of rows under the name the design gives it; `multi` lets a user select
// several rows, `long_list` is one that may grow long.
QTreeWidget* MakeList(const char* name, int columns, bool multi, bool long_list);

// What the copies list says of a copy's state.
QString CopyState(const CopyInfo& copy, const TextFn& text);

// The copies, newest first: date, name, size, state.
void FillCopies(QTreeWidget* list, const std::vector<CopyInfo>& copies, const Locale& locale,
                const TextFn& text);

// The children of a folder of the copy (or the copy's top, with parent null): name, size,
// modified; folders first, each with an arrow until it is listed. `original` tells the
// original path of a path inside the copy, for the tips; entries without one are left out.
using OriginalFn = std::function<QString(const std::string&)>;
void FillFolder(QTreeWidget* tree, QTreeWidgetItem* parent, const std::string& folder,
                std::vector<FolderEntry> entries, const Locale& locale, const OriginalFn& original);

// Found items as rows: copy, original path, size, modified. The columns fit the first
// rows; fitting them at every row would slow a long list down.
void AddFoundItems(QTreeWidget* list, const std::vector<CopyItem>& items, const Locale& locale);

// The versions of a file: copy, date, size, changed or unchanged.
void FillVersions(QTreeWidget* list, const std::vector<FileVersion>& versions, const Locale& locale,
                  const TextFn& text);

// The rows selected in the copy's tree, as a restore from that copy.
RestoreRequest TreeSelection(const QTreeWidget* tree, const BackupJob& job, const CopyInfo& copy);

// The rows selected in a list of found items, as a restore from the copy they are of;
// nothing when they are of several copies, or none is selected.
std::optional<RestoreRequest> FoundSelection(const QTreeWidget* list,
                                             const std::vector<CopyInfo>& copies);

// The list's headers in the current language.
void SetHeaders(QTreeWidget* list, std::initializer_list<int> numbers, const TextFn& text);

}  // namespace orvessa
