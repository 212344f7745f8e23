// The destination tab: choosing the destination folder, creating and erasing a folder.
#include "core/space_accounting.hpp"
#include "i18n/text_ids.hpp"
#include "ui/dialogs.hpp"
#include "ui/form2.hpp"
#include "ui/qt_text.hpp"
#include "ui/run_controller.hpp"

namespace orvessa {

using namespace text_id;

// The label shows the destination and the job holds it; the run reads the job.
void Form2::SetDestination(const std::string& path) {
  job_.Destination = path;
  Label5->setText(Q(path));
}

// A folder command the editor refused says why; no destination at all is an error.
bool Form2::FolderCommandRefused(const FolderCommand& command) {
  if (command.refused_text == 0) return false;
  ShowMessage(TextUtf8(command.refused_text), command.refused_text == kNoDestination
                                                  ? MessageIcon::Critical
                                                  : MessageIcon::Information);
  return true;
}

// The destination tab says as soon as it is known whether the destination's disk is there:
// its free space, or that it is not ready (a bare mount point whose disk is not mounted
// included). Measured off the window's thread: a stalled network share does not freeze it.
void Form2::ShowDestinationState(bool tell) {
  const std::string destination = S(Label5->text());
  if (destination.empty() || IsNetworkPath(destination)) {
    lblDestinationState->hide();
    Label7->clear();
    return;
  }
  MeasureDestination([this, destination, tell](const DestinationSpace& space) {
    if (S(Label5->text()) != destination) return;  // another one was chosen meanwhile
    lblDestinationState->setText(Text(kDriveNotReady));
    lblDestinationState->setVisible(!space.ready);
    const bool network = space.drive == kNetworkDrive;
    if (space.ready && !network) {
      Label7->setText(Q(FormatKilobytes(space.free_bytes, locale_)));
    } else {
      Label7->clear();
    }
    if (network) {
      Label21->clear();
      cmdCreaDirectorio->setEnabled(false);
      cmdBorraDir->setEnabled(false);
    }
    if (!space.ready && tell) ShowMessage(TextUtf8(kDriveNotReady), MessageIcon::Critical);
  });
}

void Form2::cmdDestino_Click() {
  if (runner_->Running()) return;
  const std::string picked = S(Dialogs::BrowseForFolder(this, Text(kPickDestinationTitle)));
  SetDestination(picked);
  ShowDestinationState(true);
  if (picked.empty() || IsNetworkPath(picked)) {
    Label21->clear();
    return;
  }
  cmdCreaDirectorio->setEnabled(true);
  cmdBorraDir->setEnabled(true);
}

void Form2::cmdCreaDirectorio_Click() {
  if (runner_->Running()) return;
  job_.Destination = S(Label5->text());  // the folder shown is the one worked in
  const FolderCommand command = editor_.NewFolder(S(txtDir->text()));
  if (FolderCommandRefused(command)) return;
  // The destination becomes the new folder whether or not it can be made.
  SetDestination(command.destination_after);
  if (FsStatus made = fs_.MakeFolder(command.folder);
      !made && made.error().kind == FsErrorKind::AlreadyExists) {
    ShowMessage(TextUtf8(kFolderExists), MessageIcon::Exclamation);
  }
  cmdCreaDirectorio->setEnabled(false);
}

void Form2::cmdBorraDir_Click() {
  if (runner_->Running()) return;
  job_.Destination = S(Label5->text());  // the folder shown is the one worked in
  const FolderCommand command = editor_.EraseFolder(S(txtDir->text()));
  if (FolderCommandRefused(command)) return;
  if (FsStatus removed = fs_.RemoveFolder(command.folder); !removed) {
    switch (removed.error().kind) {
      case FsErrorKind::PermissionDenied:
        ShowMessage(TextUtf8(kEraseDenied), MessageIcon::Exclamation);
        break;
      case FsErrorKind::PathFileAccess:
        ShowMessage(TextUtf8(kEraseNotEmpty), MessageIcon::Exclamation);
        break;
      case FsErrorKind::PathNotFound:
        ShowMessage(TextUtf8(kWrongPath), MessageIcon::Exclamation);
        break;
      default:
        break;
    }
  }
  SetDestination(command.destination_after);
}

}  // namespace orvessa
