#pragma once

#include <QTabWidget>
#include <QWidget>

#include "core/backup_job.hpp"
#include "core/job_editor.hpp"
#include "core/space_accounting.hpp"
#include "ui/copy_tab.hpp"
#include "ui/destination_tab.hpp"
#include "ui/form2_services.hpp"
#include "ui/measurer.hpp"
#include "ui/mnemonics.hpp"
#include "ui/source_tab.hpp"
#include "ui/tab_host.hpp"

namespace orvessa {

// The three steps of a backup job, a tab each: what to copy, where to, and
// when.
class JobTabs : public QTabWidget {
 public:
  JobTabs(QWidget& window, TabHost& host, const Form2Services& services, BackupJob& job,
          JobEditor& editor, SpaceAccounting& space, Measurer& measurer);

  SourceTab& Source() const { return *source_; }
  DestinationTab& Destination() const { return *destination_; }
  CopyTab& Copy() const { return *copy_; }
  // Shows a tab without what a user's choice of it does; false when it was
  // already shown.
  bool ShowQuietly(int index);
  // The tab a run shows, its Stop button at hand.
  bool ShowForRun(int index);
  void ApplyTexts();
  void MarkButtons(Mnemonics& letters);
  // Tab follows the order a user reads each page in: top to bottom, left to
  // right.
  void SetTabOrder();

 private:
  TabHost& host_;
  SpaceAccounting& space_;
  SourceTab* source_;
  DestinationTab* destination_;
  CopyTab* copy_;
  bool reaction_quiet_ = false;
};

}  // namespace orvessa
