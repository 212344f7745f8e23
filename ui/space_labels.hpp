#pragma once

#include <QLabel>
#include <QWidget>
#include <functional>
#include <string>

#include "core/backup_job.hpp"
#include "core/run_view.hpp"
#include "core/space_accounting.hpp"
#include "ui/form2_services.hpp"
#include "ui/measurer.hpp"
#include "ui/tab_host.hpp"

namespace orvessa {

class SourceTab;
class DestinationTab;
class CopyTab;

// The space figures on the tabs, the copy cursor, and the free space measured off the
// window's thread.
class SpaceLabels : public SpaceView {
 public:
  SpaceLabels(QWidget& window, const TabHost& host, Measurer& measurer, FileSystem& fs,
              const BackupJob& job, const Form2Folders& folders);
  // The tabs come after the space accounting they show.
  void SetTabs(SourceTab& source, DestinationTab& destination, CopyTab& copy);

  void SetLabelText(Control label, const std::string& text) override;
  void SetLabelColour(Control label, int colour) override;
  void SetCopyCursor(bool on) override;
  void ShowMessage(const std::string& text, MessageIcon icon) override;
  void MeasureDestination(std::function<void(const DestinationSpace&)> then);

 private:
  QLabel* LabelOf(Control label) const;

  QWidget& window_;
  const TabHost& host_;
  Measurer& measurer_;
  FileSystem& fs_;
  const BackupJob& job_;
  const Form2Folders& folders_;
  SourceTab* source_ = nullptr;
  DestinationTab* destination_ = nullptr;
  CopyTab* copy_ = nullptr;
};

}  // namespace orvessa
