// The window's controls and their layout; texts come later, from ApplyLanguage.
#include <QMenuBar>
#include <QScrollArea>
#include <QTabWidget>
#include <QTimer>

#include "ui/copy_tab.hpp"
#include "ui/destination_tab.hpp"
#include "ui/form2.hpp"
#include "ui/job_files.hpp"
#include "ui/language_menu.hpp"
#include "ui/make_widget.hpp"
#include "ui/options_menu.hpp"
#include "ui/schedule_ticker.hpp"
#include "ui/source_tab.hpp"

namespace orvessa {
namespace {

// A tab's page scrolls rather than forcing the window beyond a small or scaled screen.
QScrollArea* Scrolling(QWidget* page, const char* name) {
  auto* area = Make<QScrollArea>(name);
  area->setWidget(page);
  area->setWidgetResizable(true);
  area->setFrameShape(QFrame::NoFrame);
  return area;
}

}  // namespace

void Form2::BuildMenus() {
  MenuArchivo = menuBar()->addMenu(QString());
  MenuArchivo->setObjectName(QStringLiteral("Men\u00faArchivo"));
  mnuAbreTrab = MenuArchivo->addAction(QString());
  mnuAbreTrab->setObjectName(QStringLiteral("mnuAbreTrab"));
  mnuAbreTrab->setShortcut(QKeySequence::Open);
  mnuGuardaTrab = MenuArchivo->addAction(QString());
  mnuGuardaTrab->setObjectName(QStringLiteral("mnuGuardaTrab"));
  mnuGuardaTrab->setShortcut(QKeySequence::Save);
  MenuArchivo->addSeparator();
  mnuArchivo_Salir = MenuArchivo->addAction(QString());
  mnuArchivo_Salir->setObjectName(QStringLiteral("mnuArchivo_Salir"));

  options_ = new OptionsMenu(*menuBar(), *this, services_.autostart, services_.settings);

  languages_ = new LanguageMenu(*menuBar(), *this);

  // The tray icon's menu, never on the menu bar.
  mnuSystray = new QMenu(this);
  mnuSystray->setObjectName(QStringLiteral("mnuSystray"));
  mnupopRestaurar = mnuSystray->addAction(QString());
  mnupopRestaurar->setObjectName(QStringLiteral("mnupopRestaurar"));
  mnuSystray->addSeparator();
  mnupopSalir = mnuSystray->addAction(QString());
  mnupopSalir->setObjectName(QStringLiteral("mnupopSalir"));
  help_ = new HelpMenu(*menuBar(), *this, services_.opener);
  help_->SetLanguage(LanguageBase_, {});
  connect(help_, &HelpMenu::AboutActivated, this, [this] { OtherFormActivated(); });
}

void Form2::BuildTabs() {
  SSTab1 = new QTabWidget(this);
  SSTab1->setObjectName(QStringLiteral("SSTab1"));
  source_ = new SourceTab(*this, services_.fs, services_.locale, job_, editor_, space_, *measurer_);
  destination_ = new DestinationTab(*this, services_.fs, services_.locale, job_, editor_);
  copy_ = new CopyTab(*this, job_, *this);
  labels_.SetTabs(*source_, *destination_, *copy_);
  SSTab1->addTab(Scrolling(source_, "SourceScroll"), QString());
  SSTab1->addTab(Scrolling(destination_, "DestinationScroll"), QString());
  SSTab1->addTab(Scrolling(copy_, "CopyScroll"), QString());
  setCentralWidget(SSTab1);
}

void Form2::Connect() {
  connect(mnuAbreTrab, &QAction::triggered, this, [this] { files_->Open(); });
  connect(mnuGuardaTrab, &QAction::triggered, this, [this] { files_->Save(); });
  connect(mnuArchivo_Salir, &QAction::triggered, this, [this] { end_->End(false); });
  connect(mnupopRestaurar, &QAction::triggered, this, [this] { mnupopRestaurar_Click(); });
  connect(mnupopSalir, &QAction::triggered, this, [this] { mnupopSalir_Click(); });
  connect(languages_, &LanguageMenu::Chosen, this, [this](int entry) { SelectLanguage(entry); });
  connect(SSTab1, &QTabWidget::currentChanged, this, [this](int index) {
    if (!tab_reaction_quiet_ && (index == 1 || index == 2)) {
      MeasureDestination([this, index](const DestinationSpace& space) {
        // The user may have moved on, or a run begun, meanwhile.
        if (SSTab1->currentIndex() == index && !RunInProgress()) {
          space_.ApplyTabSpace(index, space);
        }
      });
    }
  });

  connect(source_, &SourceTab::NeededMeasured, copy_, &CopyTab::ShowNeeded);
  connect(destination_, &DestinationTab::FreeSpaceUnknown, copy_, &CopyTab::ClearFreeSpace);
  connect(copy_, &CopyTab::ScheduleShown, this, [this](bool power_off, ScheduleTimer timer) {
    // After each rendering of the schedule: the power-off it asks for, and the timer.
    end_->SetPowerOffAfterCopy(power_off);
    ticker_->ShowTimer(timer);
    // Once the handlers have settled: the schedule may pass through the at-shutdown state
    // on its way elsewhere, and the session need not hear of that.
    QTimer::singleShot(0, this, [this] { shutdown_->UpdateArming(); });
  });
  connect(copy_, &CopyTab::SaveClicked, this, [this] { files_->Save(); });
  // Tab follows the order a user reads each page in: top to bottom, left to right.
  source_->SetTabOrder();
  destination_->SetTabOrder();
  copy_->SetTabOrder();
}

}  // namespace orvessa
