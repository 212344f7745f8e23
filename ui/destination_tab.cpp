#include "ui/destination_tab.hpp"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "i18n/text_ids.hpp"
#include "ui/dialogs.hpp"
#include "ui/make_widget.hpp"
#include "ui/mnemonics.hpp"
#include "ui/qt_text.hpp"
#include "ui/value_labels.hpp"

namespace orvessa {

using namespace text_id;

DestinationTab::DestinationTab(TabHost& host, FileSystem& fs, const Locale& locale, BackupJob& job,
                               JobEditor& editor)
    : host_(host), fs_(fs), locale_(locale), job_(job), editor_(editor) {
  setObjectName(QStringLiteral("DestinationPage"));
  Frame3 = Make<QGroupBox>("Frame3");
  cmdDestino = Make<QPushButton>("cmdDestino");
  Label5 = ValueLabel("Label5");
  Label5->setFrameShape(QFrame::StyledPanel);
  Label5->setFrameShadow(QFrame::Sunken);
  Label5->setMinimumHeight(cmdDestino->sizeHint().height());
  Label3 = Make<QLabel>("Label3");
  Label7 = ValueLabel("Label7");
  lblDestinationState = WrappedLabel("lblDestinationState");
  lblDestinationState->setStyleSheet(QStringLiteral("color: #c00000"));
  lblDestinationState->setVisible(false);
  Label10 = WrappedLabel("Label10");
  txtDir = Make<QLineEdit>("txtDir");
  txtDir->setToolTip(
      QStringLiteral("Inserte el nombre de la carpeta sin letra de unidad ni barras"));
  cmdCreaDirectorio = Make<QPushButton>("cmdCreaDirectorio");
  cmdCreaDirectorio->setToolTip(QStringLiteral("Escribir solo el nombre de la carpeta a crear"));
  cmdCreaDirectorio->setEnabled(false);
  cmdBorraDir = Make<QPushButton>("cmdBorraDir");
  cmdBorraDir->setToolTip(
      QStringLiteral("Escriba el nombre de la carpeta a borrar, sin letra de unidad ni barras."));
  cmdBorraDir->setEnabled(false);

  auto* pick_row = new QHBoxLayout;
  pick_row->addWidget(cmdDestino);
  pick_row->addWidget(Label5, 1);
  auto* space_row = new QHBoxLayout;
  space_row->addWidget(Label3);
  space_row->addWidget(Label7);
  space_row->addStretch();
  auto* folder_row = new QHBoxLayout;
  folder_row->addWidget(txtDir, 1);
  folder_row->addWidget(cmdCreaDirectorio);
  folder_row->addWidget(cmdBorraDir);
  auto* frame = new QVBoxLayout(Frame3);
  frame->addLayout(pick_row);
  frame->addLayout(space_row);
  frame->addWidget(lblDestinationState);
  frame->addSpacing(24);
  frame->addWidget(Label10);
  frame->addLayout(folder_row);

  auto* page = new QVBoxLayout(this);
  page->addWidget(Frame3);
  page->addStretch();

  connect(cmdDestino, &QPushButton::clicked, this, [this] { cmdDestino_Click(); });
  connect(cmdCreaDirectorio, &QPushButton::clicked, this, [this] { cmdCreaDirectorio_Click(); });
  connect(cmdBorraDir, &QPushButton::clicked, this, [this] { cmdBorraDir_Click(); });
}

void DestinationTab::ApplyTexts() {
  SetCaptions(
      host_,
      {{Frame3, kChooseDestination}, {Label3, kAvailableDriveSpace}, {Label10, kCreateOrErase}});
  lblDestinationState->setText(host_.Text(kDriveNotReady));

  txtDir->setAccessibleName(NameOf(host_.Text(kFolderName)));
  SetValueCaption(Label5, NameOf(host_.Text(kDestinationFolder)));
  SetValueCaption(Label7, NameOf(host_.Text(kAvailableDriveSpace)));
}

void DestinationTab::MarkButtons(Mnemonics& letters) {
  orvessa::MarkButtons(host_, letters,
                       {{cmdDestino, kSearchDrive},
                        {cmdCreaDirectorio, kCreateFolder},
                        {cmdBorraDir, kEraseFolder}});
}

void DestinationTab::SetTabOrder() {
  Label10->setBuddy(txtDir);
  ChainTabOrder({cmdDestino, txtDir, cmdCreaDirectorio, cmdBorraDir});
}

std::vector<QWidget*> DestinationTab::JobCommands() const {
  return {cmdDestino, txtDir, cmdCreaDirectorio, cmdBorraDir};
}

QLabel* DestinationTab::LabelOf(Control label) const {
  if (label == Control::Label5) return Label5;
  return label == Control::Label7 ? Label7 : nullptr;
}

std::string DestinationTab::Shown() const { return S(Label5->text()); }

void DestinationTab::SetDestination(const std::string& path) {
  job_.Destination = path;
  Label5->setText(Q(path));
}

void DestinationTab::Forget() {
  Label5->clear();
  Label7->clear();
  lblDestinationState->hide();
}

// A folder command the editor refused says why; no destination at all is an error.
bool DestinationTab::FolderCommandRefused(const FolderCommand& command) {
  if (command.refused_text == 0) return false;
  host_.ShowMessage(host_.TextUtf8(command.refused_text), command.refused_text == kNoDestination
                                                              ? MessageIcon::Critical
                                                              : MessageIcon::Information);
  return true;
}

// The tab says as soon as it is known whether the destination's disk is there: its free
// space, or that it is not ready (a bare mount point whose disk is not mounted included).
// Measured off the window's thread: a stalled network share does not freeze it.
void DestinationTab::ShowDestinationState(bool tell) {
  const std::string destination = Shown();
  if (destination.empty() || IsNetworkPath(destination)) {
    lblDestinationState->hide();
    Label7->clear();
    return;
  }
  host_.MeasureDestination([this, destination, tell](const DestinationSpace& space) {
    if (Shown() != destination) return;  // another one was chosen meanwhile
    lblDestinationState->setText(host_.Text(kDriveNotReady));
    lblDestinationState->setVisible(!space.ready);
    const bool network = space.drive == kNetworkDrive;
    if (space.ready && !network) {
      Label7->setText(Q(FormatKilobytes(space.free_bytes, locale_)));
    } else {
      Label7->clear();
    }
    if (network) {
      emit FreeSpaceUnknown();
      cmdCreaDirectorio->setEnabled(false);
      cmdBorraDir->setEnabled(false);
    }
    if (!space.ready && tell) {
      host_.ShowMessage(host_.TextUtf8(kDriveNotReady), MessageIcon::Critical);
    }
  });
}

void DestinationTab::cmdDestino_Click() {
  if (host_.RunInProgress()) return;
  const std::string picked =
      S(Dialogs::BrowseForFolder(window(), host_.Text(kPickDestinationTitle)));
  SetDestination(picked);
  ShowDestinationState(true);
  if (picked.empty() || IsNetworkPath(picked)) {
    emit FreeSpaceUnknown();
    return;
  }
  cmdCreaDirectorio->setEnabled(true);
  cmdBorraDir->setEnabled(true);
}

void DestinationTab::cmdCreaDirectorio_Click() {
  if (host_.RunInProgress()) return;
  job_.Destination = Shown();
  const FolderCommand command = editor_.NewFolder(S(txtDir->text()));
  if (FolderCommandRefused(command)) return;
  // The destination becomes the new folder whether or not it can be made.
  SetDestination(command.destination_after);
  if (FsStatus made = fs_.MakeFolder(command.folder);
      !made && made.error().kind == FsErrorKind::AlreadyExists) {
    host_.ShowMessage(host_.TextUtf8(kFolderExists), MessageIcon::Exclamation);
  }
  cmdCreaDirectorio->setEnabled(false);
}

void DestinationTab::cmdBorraDir_Click() {
  if (host_.RunInProgress()) return;
  job_.Destination = Shown();
  const FolderCommand command = editor_.EraseFolder(S(txtDir->text()));
  if (FolderCommandRefused(command)) return;
  if (FsStatus removed = fs_.RemoveFolder(command.folder); !removed) {
    switch (removed.error().kind) {
      case FsErrorKind::PermissionDenied:
        host_.ShowMessage(host_.TextUtf8(kEraseDenied), MessageIcon::Exclamation);
        break;
      case FsErrorKind::PathFileAccess:
        host_.ShowMessage(host_.TextUtf8(kEraseNotEmpty), MessageIcon::Exclamation);
        break;
      case FsErrorKind::PathNotFound:
        host_.ShowMessage(host_.TextUtf8(kWrongPath), MessageIcon::Exclamation);
        break;
      default:
        break;
    }
  }
  SetDestination(command.destination_after);
}

}  // namespace orvessa
