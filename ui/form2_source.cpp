// The source tab: browsing drives, folders and files, and the selection list.
#include <QFontMetrics>

#include "core/run_errors.hpp"
#include "i18n/text_ids.hpp"
#include "ui/form2.hpp"
#include "ui/form2_tables.hpp"
#include "ui/measurer.hpp"
#include "ui/qt_text.hpp"
#include "ui/run_controller.hpp"

namespace orvessa {
namespace {

QString FilterPattern(int index) {
  if (index == 0) return QStringLiteral("*.*");
  if (index == 1) return QStringLiteral("*.txt*");
  return QString::fromLatin1(form2::kFixedFilters[index - 2].pattern);
}

}  // namespace

void Form2::Drive1_Change() {
  const std::string root = Drive1->SelectedRoot();
  const DriveInfo drive = fs_.GetDrive(root);
  if (!drive.ready) {
    ShowMessage(TextUtf8(text_id::kDriveNotReady), MessageIcon::Critical);
    Drive1->SelectDriveOf(Dir1->Path());
    return;
  }
  if (FsStatus opened = Dir1->SetPath(root); !opened) {
    if (opened.error().kind == FsErrorKind::PathNotFound) {
      ShowMessage(TextUtf8(text_id::kWrongPath), MessageIcon::Critical);
    }
    Drive1->SelectDriveOf(Dir1->Path());
  }
}

void Form2::Dir1_Change() {
  File1->SetPath(Dir1->Path());
  Drive1->SelectDriveOf(Dir1->Path());
  Label2->setText(QString::number(File1->count()));
}

void Form2::Filtro_Click() {
  const int index = Filtro->currentIndex();
  if (index >= 0 && index <= 9) File1->SetPattern(FilterPattern(index));
  Label2->setText(QString::number(File1->count()));
}

void Form2::Ocultos_Click() {
  // Hidden folders follow the same toggle as hidden files on this host.
  Dir1->SetShowHidden(Ocultos->isChecked());
  File1->SetShowHidden(Ocultos->isChecked());
  Label2->setText(QString::number(File1->count()));
}

void Form2::Sistema_Click() {
  File1->SetShowSystem(Sistema->isChecked());
  Label2->setText(QString::number(File1->count()));
}

void Form2::Modificados_Click() {
  File1->SetShowArchive(Modificados->isChecked());
  Label2->setText(QString::number(File1->count()));
}

void Form2::AppendSource(const SourceEntry& entry) {
  job_.Sources.push_back(entry);
  List1->addItem(Q(entry.Text()));
}

void Form2::ShowSelectedBytes() {
  Label9->setText(Q(FormatKilobytes(job_.SelectedBytes, locale_)));
}

void Form2::cmdAnadirFich_Click() {
  if (runner_->Running()) return;
  std::vector<std::string> chosen;
  const auto& names = File1->Names();
  for (int row = 0; row < static_cast<int>(names.size()); ++row) {
    if (File1->IsSelected(row)) chosen.push_back(names[static_cast<std::size_t>(row)]);
  }
  for (const SourceEntry& entry : editor_.AddFiles(File1->Path(), chosen)) {
    List1->addItem(Q(entry.Text()));
  }
  ShowSelectedBytes();
  FitListWidth(List1);
}

void Form2::cmdAnadirCarp_Click() {
  if (runner_->Running()) return;
  const auto entry = editor_.AddFolder(Dir1->HighlightedPath());
  if (!entry) return;
  List1->addItem(Q(entry->Text()));
  MeasureEntry(*entry, +1);
  FitListWidth(List1);
}

// Adds (sign +1) or takes away (-1) the entry's size once it is measured off the window's
// thread; an entry taken away before its size came in is simply not counted.
void Form2::MeasureEntry(const SourceEntry& entry, int sign) {
  if (sign < 0) {
    if (auto pending = sizing_.find(entry.Text()); pending != sizing_.end()) {
      measurer_->Cancel(pending->second);
      sizing_.erase(pending);
      return;
    }
  }
  const int id = measurer_->Measure(
      [&fs = fs_, entry](std::stop_token stop) { return EntryBytes(fs, entry, stop); },
      [this, text = entry.Text(), sign](double bytes) {
        if (sign > 0) sizing_.erase(text);
        space_.AddBytes(sign * bytes);
        if (job_.Sources.empty()) Label9->setText(QStringLiteral("0 Kb"));
        Label19->setText(Label9->text());
      });
  if (sign > 0) sizing_[entry.Text()] = id;
}

void Form2::cmdQuitarElem_Click() {
  if (runner_->Running()) return;
  const int row = List1->currentRow();
  const bool chosen = row >= 0 && List1->item(row)->isSelected();
  if (const auto entry = chosen ? editor_.RemoveAt(row) : std::nullopt) {
    MeasureEntry(*entry, -1);
    delete List1->takeItem(row);
    if (job_.Sources.empty()) Label9->setText(QStringLiteral("0 Kb"));
  }
  FitListWidth(List1);
}

void Form2::CmdQuitarTodos_Click() {
  if (runner_->Running()) return;
  editor_.RemoveAll();
  List1->clear();
  for (const auto& [text, id] : sizing_) measurer_->Cancel(id);
  sizing_.clear();
  Label9->clear();
  FitListWidth(List1);
}

int Form2::FitListWidth(QListWidget* list) {
  const QFontMetrics metrics(list->font());
  int widest = 0;
  for (int i = 0; i < list->count(); ++i) {
    const int width = metrics.horizontalAdvance(QLatin1Char(' ') + list->item(i)->text());
    if (width > widest) widest = width;
  }
  // Qt's list scrolls sideways by itself once a line is wider than it.
  return widest;
}

}  // namespace orvessa
