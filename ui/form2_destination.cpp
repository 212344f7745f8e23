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

// The folder commands work inside the destination; without one they would work on "/".
bool Form2::DestinationChosen() {
  if (!Label5->text().isEmpty()) return true;
  ShowMessage(TextUtf8(kNoDestination), MessageIcon::Critical);
  return false;
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
  if (runner_->Running() || !DestinationChosen()) return;
  const std::string name = S(txtDir->text());
  // Only a bare name makes a folder inside the destination.
  if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
    ShowMessage(TextUtf8(kNewFolderName), MessageIcon::Information);
    return;
  }
  const std::string dest = S(Label5->text());
  const std::string folder = dest.back() == '/' ? dest + name : dest + "/" + name;
  // The destination becomes the new folder whether or not it can be made.
  SetDestination(folder);
  if (FsStatus made = fs_.MakeFolder(folder);
      !made && made.error().kind == FsErrorKind::AlreadyExists) {
    ShowMessage(TextUtf8(kFolderExists), MessageIcon::Exclamation);
  }
  cmdCreaDirectorio->setEnabled(false);
}

void Form2::cmdBorraDir_Click() {
  if (runner_->Running() || !DestinationChosen()) return;
  const std::string name = S(txtDir->text());
  const std::string dest = S(Label5->text());
  const auto slash = dest.rfind('/');
  const std::string last = slash == std::string::npos ? dest : dest.substr(slash + 1);
  if (name.empty() || name != last) {
    ShowMessage(TextUtf8(kEraseNameMustMatch), MessageIcon::Information);
    return;
  }
  if (FsStatus removed = fs_.RemoveFolder(dest); !removed) {
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
  SetDestination(dest.substr(0, dest.size() - name.size()));
}

}  // namespace orvessa
