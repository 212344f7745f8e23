#pragma once

#include <QComboBox>
#include <string>

namespace orvessa {

// The volumes a user picks sources from: the root file system, the one holding the
// home folder, and removable or extra media mounted under /media, /run/media and /mnt.
class DriveList : public QComboBox {
  Q_OBJECT
 public:
  explicit DriveList(QWidget* parent = nullptr);

  void Fill();
  // The mount point of the selected entry.
  std::string SelectedRoot() const;
  // Selects the volume that holds path, without announcing a change.
  void SelectDriveOf(const std::string& path);

 protected:
  void showPopup() override;  // media may have come or gone since the last look
};

}  // namespace orvessa
