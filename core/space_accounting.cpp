#include "core/space_accounting.hpp"

#include <cmath>

#include "core/destination_disks.hpp"
#include "i18n/text_ids.hpp"

namespace orvessa {

bool IsNetworkPath(const std::string& path) {
  return path.rfind("\\\\", 0) == 0 || path.rfind("//", 0) == 0;
}

std::string FormatKilobytes(double bytes, const Locale& locale) {
  return locale.FormatWholeNumber(std::llround(bytes / 1000.0)) + " KB";
}

bool InsufficientSpace(double selected_bytes, double free_bytes,
                       const std::string& destination_drive) {
  return destination_drive != kNetworkDrive && selected_bytes >= free_bytes;
}

std::string CopyNameOf(const SourceEntry& entry) {
  return entry.IsRootFolder() ? std::string("root") : entry.LastComponent();
}

double FolderBytes(const FileSystem& fs, const std::string& folder, std::stop_token stop) {
  const std::string path = folder.empty() ? std::string("/") : folder;
  auto root = fs.IsRootFolder(path);
  if (!root) return 0;
  if (root.value()) {
    // A whole volume needs what is used on it, not what it could hold.
    DriveInfo drive = fs.GetDrive(path);
    return drive.ready ? drive.used_bytes : 0;
  }
  auto size = fs.FolderSize(path, std::move(stop));
  return size ? static_cast<double>(size.value()) : 0;
}

double EntryBytes(const FileSystem& fs, const SourceEntry& entry, std::stop_token stop) {
  if (entry.IsFolder()) return FolderBytes(fs, entry.Path(), std::move(stop));
  auto size = fs.FileSize(entry.Path());
  return size ? static_cast<double>(size.value()) : 0;
}

double SpaceAccounting::FolderSize(const std::string& folder) const {
  return FolderBytes(fs_, folder);
}

void SpaceAccounting::AddBytes(double bytes) {
  job_.SelectedBytes += bytes;
  ShowSelected();
}

void SpaceAccounting::ShowSelected() {
  view_.SetLabelText(Control::Label9, FormatKilobytes(job_.SelectedBytes, locale_));
}

void SpaceAccounting::AddFileSize(const std::string& file_path) {
  if (auto size = fs_.FileSize(file_path)) job_.SelectedBytes += static_cast<double>(size.value());
  ShowSelected();
}

void SpaceAccounting::SubtractFileSize(const std::string& file_path) {
  if (auto size = fs_.FileSize(file_path)) job_.SelectedBytes -= static_cast<double>(size.value());
  ShowSelected();
}

void SpaceAccounting::AddFolderSize(std::string& entry_text) {
  entry_text.erase(entry_text.size() >= 2 ? entry_text.size() - 2 : 0);
  job_.SelectedBytes += FolderSize(entry_text);
  ShowSelected();
}

void SpaceAccounting::SubtractFolderSize(const std::string& folder_path) {
  job_.SelectedBytes -= FolderSize(folder_path);
  ShowSelected();
}

DestinationSpace MeasureDestinationSpace(const FileSystem& fs, const std::string& destination,
                                         const std::string& state_folder) {
  DestinationSpace space;
  if (destination.empty()) return space;
  if (IsNetworkPath(destination)) {
    space.drive = kNetworkDrive;
    return space;
  }
  DriveInfo drive;
  space.ready = DestinationReady(fs, state_folder, destination, &drive);
  space.drive = drive.network ? std::string(kNetworkDrive) : destination;
  if (space.drive == kNetworkDrive) {
    space.ready = true;
  } else if (space.ready) {
    // Copies a run will replace stay until their new copies are complete, so their
    // space is not free.
    space.free_bytes = drive.free_bytes;
  }
  return space;
}

void SpaceAccounting::CheckDestinationSpace() {
  view_.SetCopyCursor(true);
  ApplyDestinationSpace(MeasureDestinationSpace(fs_, job_.Destination, state_folder_));
}

void SpaceAccounting::ApplyDestinationSpace(const DestinationSpace& space) {
  DestinationDrive = space.drive;
  FreeBytes = space.free_bytes;
  if (space.drive.empty() || space.drive == kNetworkDrive) {
    view_.SetCopyCursor(false);
    return;
  }
  if (space.ready) {
    const std::string text = FormatKilobytes(FreeBytes, locale_);
    view_.SetLabelText(Control::Label7, text);
    view_.SetLabelText(Control::Label21, text);
  } else {
    view_.SetCopyCursor(false);
    view_.ShowMessage(text_(text_id::kDriveNotReady), MessageIcon::Critical);
    view_.SetLabelText(Control::Label7, "");
    view_.SetLabelText(Control::Label5, "");
    job_.Destination.clear();
  }
  view_.SetCopyCursor(false);
}

void SpaceAccounting::ShowCopyTabSpace(int tab_index) {
  if (tab_index != 1 && tab_index != 2) return;
  view_.SetCopyCursor(true);
  ApplyTabSpace(tab_index, MeasureDestinationSpace(fs_, job_.Destination, state_folder_));
}

void SpaceAccounting::ApplyTabSpace(int tab_index, const DestinationSpace& space) {
  if (tab_index == 1) ApplyDestinationSpace(space);
  if (tab_index != 2) return;
  view_.SetLabelText(Control::Label19, FormatKilobytes(job_.SelectedBytes, locale_));
  ApplyDestinationSpace(space);
  const int colour = job_.SelectedBytes < FreeBytes ? kColourEnoughSpace : kColourShortOfSpace;
  view_.SetLabelColour(Control::Label20, colour);
  view_.SetLabelColour(Control::Label21, colour);
}

}  // namespace orvessa
