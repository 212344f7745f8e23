#pragma once

#include <cstdint>
#include <functional>
#include <stop_token>
#include <string>
#include <vector>

#include "core/backup_job.hpp"
#include "core/run_view.hpp"
#include "platform/file_system.hpp"
#include "platform/locale.hpp"

namespace orvessa {

// The texts of the string table by number, in the current language.
using TextSource = std::function<std::string(int number)>;

// "1,234 KB": bytes divided by 1000, rounded, with the locale's digit grouping.
std::string FormatKilobytes(double bytes, const Locale& locale);

// The marker DestinationDrive holds for a network destination.
inline constexpr std::string_view kNetworkDrive = "\\\\";

// A path on a network share: \\server\share or //server/share.
bool IsNetworkPath(const std::string& path);

// The selection does not fit: needed bytes reach the free bytes, unless the
// destination is on the network, which is never refused for space.
bool InsufficientSpace(double selected_bytes, double free_bytes,
                       const std::string& destination_drive);

// What a measure of the destination finds.
struct DestinationSpace {
  std::string drive;  // empty (no destination), kNetworkDrive, or the destination path
  double free_bytes = 0;
  bool ready = true;  // false: the folder is missing or its disk is not there
};

// Measures the destination as a run needs it. A network destination is never measured
// (and counts as ready); one whose disk is not mounted on it is not ready.
DestinationSpace MeasureDestinationSpace(const FileSystem& fs, const std::string& destination,
                                         const std::string& state_folder);

// Bytes the selection needs (the job's SelectedBytes) and bytes free at the destination,
// kept in step with the labels that show them. Failing host calls add nothing.
class SpaceAccounting {
 public:
  // state_folder holds what is known of the destinations' disks; empty: nothing is.
  SpaceAccounting(BackupJob& job, FileSystem& fs, const Locale& locale, SpaceView& view,
                  TextSource text, std::string state_folder = {})
      : job_(job),
        fs_(fs),
        locale_(locale),
        view_(view),
        text_(std::move(text)),
        state_folder_(std::move(state_folder)) {}

  double FreeBytes = 0;
  // Empty (no destination), kNetworkDrive, or the destination path.
  std::string DestinationDrive;

  double FolderSize(const std::string& folder) const;
  // Adds bytes measured elsewhere (a negative number subtracts them).
  void AddBytes(double bytes);

  void AddFileSize(const std::string& file_path);
  void SubtractFileSize(const std::string& file_path);
  // Takes a folder entry's text, drops its "/*" in place and adds the folder's size.
  void AddFolderSize(std::string& entry_text);
  void SubtractFolderSize(const std::string& folder_path);

  // Measures FreeBytes for the job's destination. A destination that is not ready, or is
  // the bare folder its disk belongs on, is reported and forgotten.
  void CheckDestinationSpace();
  void ApplyDestinationSpace(const DestinationSpace& space);  // as measured elsewhere
  // The reaction to the tab strip showing another tab.
  void ShowCopyTabSpace(int tab_index);
  void ApplyTabSpace(int tab_index, const DestinationSpace& space);

 private:
  void ShowSelected();

  BackupJob& job_;
  FileSystem& fs_;
  const Locale& locale_;
  SpaceView& view_;
  TextSource text_;
  std::string state_folder_;
};

// Bytes a folder's tree takes, or the used space of a root folder; 0 when it cannot be
// read or the measure was called off.
double FolderBytes(const FileSystem& fs, const std::string& folder, std::stop_token stop = {});
// Bytes an entry needs: its file, or as FolderBytes.
double EntryBytes(const FileSystem& fs, const SourceEntry& entry, std::stop_token stop = {});

// Name of the folder an entry's copy gets: its last component, "root" for "/".
std::string CopyNameOf(const SourceEntry& entry);

}  // namespace orvessa
