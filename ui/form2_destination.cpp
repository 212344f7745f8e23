// The destination tab: choosing the destination folder, creating and erasing a folder.
#include "core/space_accounting.hpp"
#include "ui/dialogs.hpp"
#include "ui/form2.hpp"
#include "ui/form2_tables.hpp"
#include "ui/qt_text.hpp"

namespace orvessa {
namespace {

constexpr int kPickTitle = 79;
constexpr int kNameMustMatch = 81;
constexpr int kEraseDenied = 82;
constexpr int kEraseNotEmpty = 83;
constexpr int kAlreadyExists = 85;

}  // namespace

void Form2::cmdDestino_Click() {
  const std::string picked = S(Dialogs::BrowseForFolder(this, Text(kPickTitle)));
  Label5->setText(Q(picked));
  if (picked.empty() || IsNetworkPath(picked) || fs_.GetDrive(picked).network) {
    Label7->clear();
    Label21->clear();
    return;
  }
  const DriveInfo drive = fs_.GetDrive(picked);
  if (drive.ready) {
    Label7->setText(Q(FormatKilobytes(drive.free_bytes, locale_)));
  } else {
    ShowMessage(TextUtf8(form2::kDriveNotReady), MessageIcon::Critical);
    Label7->clear();
  }
  cmdCreaDirectorio->setEnabled(true);
  cmdBorraDir->setEnabled(true);
}

void Form2::cmdCreaDirectorio_Click() {
  const std::string name = S(txtDir->text());
  const std::string dest = S(Label5->text());
  const std::string folder = !dest.empty() && dest.back() == '/' ? dest + name : dest + "/" + name;
  // The destination becomes the new folder whether or not it can be made.
  Label5->setText(Q(folder));
  if (FsStatus made = fs_.MakeFolder(folder);
      !made && made.error().kind == FsErrorKind::AlreadyExists) {
    ShowMessage(TextUtf8(kAlreadyExists), MessageIcon::Exclamation);
  }
  cmdCreaDirectorio->setEnabled(false);
}

void Form2::cmdBorraDir_Click() {
  const std::string name = S(txtDir->text());
  const std::string dest = S(Label5->text());
  const auto slash = dest.rfind('/');
  const std::string last = slash == std::string::npos ? dest : dest.substr(slash + 1);
  if (name.empty() || name != last) {
    ShowMessage(TextUtf8(kNameMustMatch), MessageIcon::Information);
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
        ShowMessage(TextUtf8(form2::kWrongPath), MessageIcon::Exclamation);
        break;
      default:
        break;
    }
  }
  Label5->setText(Q(dest.substr(0, dest.size() - name.size())));
}

}  // namespace orvessa
