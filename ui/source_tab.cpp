#include "ui/source_tab.hpp"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "core/run_errors.hpp"
#include "i18n/text_ids.hpp"
#include "ui/form2_tables.hpp"
#include "ui/make_widget.hpp"
#include "ui/measurer.hpp"
#include "ui/mnemonics.hpp"
#include "ui/qt_text.hpp"
#include "ui/value_labels.hpp"

namespace orvessa {
namespace {

using namespace text_id;

QString FilterPattern(int index) {
  if (index == 0) return QStringLiteral("*.*");
  if (index == 1) return QStringLiteral("*.txt*");
  return QString::fromLatin1(form2::kFixedFilters[index - 2].pattern);
}

}  // namespace

SourceTab::SourceTab(TabHost& host, FileSystem& fs, const Locale& locale, BackupJob& job,
                     JobEditor& editor, SpaceAccounting& space, Measurer& measurer)
    : host_(host),
      fs_(fs),
      locale_(locale),
      job_(job),
      editor_(editor),
      space_(space),
      measurer_(measurer) {
  setObjectName(QStringLiteral("SourcePage"));
  Frame5 = Make<QGroupBox>("Frame5");
  Drive1 = Make<DriveList>("Drive1");
  Dir1 = Make<FolderList>("Dir1", fs_);
  auto* drive_column = new QVBoxLayout(Frame5);
  drive_column->addWidget(Drive1);
  drive_column->addWidget(Dir1, 1);

  File1 = Make<FileList>("File1", fs_);
  Label17 = Make<QLabel>("Label17");
  Filtro = Make<QComboBox>("Filtro");
  Frame1 = Make<QGroupBox>("Frame1");
  Ocultos = Make<QCheckBox>("Ocultos");
  Sistema = Make<QCheckBox>("Sistema");
  Modificados = Make<QCheckBox>("Modificados");
  auto* toggles = new QHBoxLayout(Frame1);
  toggles->addWidget(Ocultos);
  toggles->addWidget(Sistema);
  toggles->addWidget(Modificados);
  toggles->addStretch();
  Label1 = Make<QLabel>("Label1");
  Label2 = ValueLabel("Label2");
  auto* filter_row = new QHBoxLayout;
  filter_row->addWidget(Label17);
  filter_row->addWidget(Filtro, 1);
  auto* count_row = new QHBoxLayout;
  count_row->addWidget(Label1);
  count_row->addWidget(Label2);
  count_row->addStretch();
  auto* file_column = new QVBoxLayout;
  file_column->addWidget(File1, 1);
  file_column->addLayout(filter_row);
  file_column->addWidget(Frame1);
  file_column->addLayout(count_row);

  Frame4 = Make<QGroupBox>("Frame4");
  List1 = Make<QListWidget>("List1");
  List1->setSelectionMode(QAbstractItemView::SingleSelection);
  List1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  cmdAnadirCarp = Make<QPushButton>("cmdA\u00f1adirCarp");
  cmdAnadirFich = Make<QPushButton>("cmdA\u00f1adirFich");
  cmdQuitarElem = Make<QPushButton>("cmdQuitarElem");
  CmdQuitarTodos = Make<QPushButton>("CmdQuitarTodos");
  Label4 = Make<QLabel>("Label4");
  Label9 = ValueLabel("Label9");
  auto* commands = new QVBoxLayout;
  for (QPushButton* button : {cmdAnadirCarp, cmdAnadirFich, cmdQuitarElem, CmdQuitarTodos}) {
    commands->addWidget(button);
  }
  commands->addStretch();
  commands->addWidget(Label4);
  commands->addWidget(Label9);
  auto* selection = new QHBoxLayout(Frame4);
  selection->addWidget(List1, 1);
  selection->addLayout(commands);

  auto* browser = new QHBoxLayout;
  browser->addWidget(Frame5, 1);
  browser->addLayout(file_column, 1);
  auto* page = new QVBoxLayout(this);
  page->addLayout(browser, 5);
  page->addWidget(Frame4, 4);
  connect(Drive1, &QComboBox::activated, this, [this] { Drive1_Change(); });
  connect(Dir1, &FolderList::PathChanged, this, [this] { Dir1_Change(); });
  connect(Filtro, &QComboBox::activated, this, [this] { Filtro_Click(); });
  connect(Ocultos, &QCheckBox::clicked, this, [this] { Ocultos_Click(); });
  connect(Sistema, &QCheckBox::clicked, this, [this] { Sistema_Click(); });
  connect(Modificados, &QCheckBox::clicked, this, [this] { Modificados_Click(); });
  connect(cmdAnadirFich, &QPushButton::clicked, this, [this] { cmdAnadirFich_Click(); });
  connect(cmdAnadirCarp, &QPushButton::clicked, this, [this] { cmdAnadirCarp_Click(); });
  connect(cmdQuitarElem, &QPushButton::clicked, this, [this] { cmdQuitarElem_Click(); });
  connect(CmdQuitarTodos, &QPushButton::clicked, this, [this] { CmdQuitarTodos_Click(); });
}

void SourceTab::Start(const std::string& start_folder) {
  if (!Dir1->SetPath(start_folder)) (void)Dir1->SetPath("/");
  Drive1->SelectDriveOf(Dir1->Path());
  Label2->clear();
  Label9->clear();
  Modificados_Click();
  Ocultos_Click();
  Sistema_Click();
}

void SourceTab::ApplyTexts() {
  SetCaptions(host_, {{Frame5, kSourceDrive},
                      {Label17, kFilterByExtension},
                      {Frame1, kSeeFiles},
                      {Ocultos, kHidden},
                      {Sistema, kSystem},
                      {Modificados, kModified},
                      {Label1, kNumberOfFiles},
                      {Frame4, kSelection},
                      {Label4, kNecessarySpaceSource}});
  SetAccessibleNames(host_, {{Drive1, kSourceDrive},
                             {Dir1, kFolders},
                             {File1, kFiles},
                             {Filtro, kFilterByExtension},
                             {List1, kSelection}});
  SetValueCaption(Label2, NameOf(host_.Text(kNumberOfFiles)));
  SetValueCaption(Label9, NameOf(host_.Text(kNecessarySpaceSource)));
}

void SourceTab::MarkButtons(Mnemonics& letters) {
  orvessa::MarkButtons(host_, letters,
                       {{cmdAnadirCarp, kAddFolders},
                        {cmdAnadirFich, kAddFiles},
                        {cmdQuitarElem, kRemoveItem},
                        {CmdQuitarTodos, kRemoveAll}});
}

// The filter list is filled anew in each language and starts on all files.
void SourceTab::FillFilters() {
  Filtro->clear();
  Filtro->addItems({host_.Text(kFilterAll), host_.Text(kFilterText)});
  for (const auto& entry : form2::kFixedFilters) Filtro->addItem(QString::fromLatin1(entry.text));
  Filtro->setCurrentIndex(0);
  Filtro_Click();
}

void SourceTab::SetTabOrder() {
  // Captions name the fields they stand by; screen readers take the name from them.
  Label17->setBuddy(Filtro);
  ChainTabOrder({Drive1, Dir1, File1, Filtro, Ocultos, Sistema, Modificados, List1, cmdAnadirCarp,
                 cmdAnadirFich, cmdQuitarElem, CmdQuitarTodos});
}

std::vector<QWidget*> SourceTab::JobCommands() const {
  return {cmdAnadirCarp, cmdAnadirFich, cmdQuitarElem, CmdQuitarTodos};
}

QLabel* SourceTab::LabelOf(Control label) const {
  return label == Control::Label9 ? Label9 : nullptr;
}

void SourceTab::LoadSources(const std::vector<SourceEntry>& sources, bool restore) {
  if (!restore) CmdQuitarTodos_Click();
  for (const SourceEntry& entry : sources) {
    job_.Sources.push_back(entry);
    List1->addItem(Q(entry.Text()));
    MeasureEntry(entry, +1);
  }
}

void SourceTab::Drive1_Change() {
  const std::string root = Drive1->SelectedRoot();
  const DriveInfo drive = fs_.GetDrive(root);
  if (!drive.ready) {
    host_.ShowMessage(host_.TextUtf8(kDriveNotReady), MessageIcon::Critical);
    Drive1->SelectDriveOf(Dir1->Path());
    return;
  }
  if (FsStatus opened = Dir1->SetPath(root); !opened) {
    if (opened.error().kind == FsErrorKind::PathNotFound) {
      host_.ShowMessage(host_.TextUtf8(kWrongPath), MessageIcon::Critical);
    }
    Drive1->SelectDriveOf(Dir1->Path());
  }
}

void SourceTab::ShowFileCount() { Label2->setText(QString::number(File1->count())); }

void SourceTab::Dir1_Change() {
  File1->SetPath(Dir1->Path());
  Drive1->SelectDriveOf(Dir1->Path());
  ShowFileCount();
}

void SourceTab::Filtro_Click() {
  const int index = Filtro->currentIndex();
  if (index >= 0 && index <= 9) File1->SetPattern(FilterPattern(index));
  ShowFileCount();
}

void SourceTab::Ocultos_Click() {
  // Hidden folders follow the same toggle as hidden files on this host.
  Dir1->SetShowHidden(Ocultos->isChecked());
  File1->SetShowHidden(Ocultos->isChecked());
  ShowFileCount();
}

void SourceTab::Sistema_Click() {
  File1->SetShowSystem(Sistema->isChecked());
  ShowFileCount();
}

void SourceTab::Modificados_Click() {
  File1->SetShowArchive(Modificados->isChecked());
  ShowFileCount();
}

void SourceTab::ShowSelectedBytes() {
  Label9->setText(Q(FormatKilobytes(job_.SelectedBytes, locale_)));
}

void SourceTab::cmdAnadirFich_Click() {
  if (host_.RunInProgress()) return;
  std::vector<std::string> chosen;
  const auto& names = File1->Names();
  for (int row = 0; row < static_cast<int>(names.size()); ++row) {
    if (File1->IsSelected(row)) chosen.push_back(names[static_cast<std::size_t>(row)]);
  }
  for (const SourceEntry& entry : editor_.AddFiles(File1->Path(), chosen)) {
    List1->addItem(Q(entry.Text()));
  }
  ShowSelectedBytes();
}

void SourceTab::cmdAnadirCarp_Click() {
  if (host_.RunInProgress()) return;
  const auto entry = editor_.AddFolder(Dir1->HighlightedPath());
  if (!entry) return;
  List1->addItem(Q(entry->Text()));
  MeasureEntry(*entry, +1);
}

// Adds (sign +1) or takes away (-1) the entry's size once it is measured off the window's
// thread; an entry taken away before its size came in is simply not counted.
void SourceTab::MeasureEntry(const SourceEntry& entry, int sign) {
  if (sign < 0) {
    if (auto pending = sizing_.find(entry.Text()); pending != sizing_.end()) {
      measurer_.Cancel(pending->second);
      sizing_.erase(pending);
      return;
    }
  }
  const int id = measurer_.Measure(
      [&fs = fs_, entry](std::stop_token stop) { return EntryBytes(fs, entry, stop); },
      [this, text = entry.Text(), sign](double bytes) {
        if (sign > 0) sizing_.erase(text);
        space_.AddBytes(sign * bytes);
        if (job_.Sources.empty()) Label9->setText(QStringLiteral("0 Kb"));
        emit NeededMeasured(Label9->text());
      });
  if (sign > 0) sizing_[entry.Text()] = id;
}

void SourceTab::cmdQuitarElem_Click() {
  if (host_.RunInProgress()) return;
  const int row = List1->currentRow();
  const bool chosen = row >= 0 && List1->item(row)->isSelected();
  if (const auto entry = chosen ? editor_.RemoveAt(row) : std::nullopt) {
    MeasureEntry(*entry, -1);
    delete List1->takeItem(row);
    if (job_.Sources.empty()) Label9->setText(QStringLiteral("0 Kb"));
  }
}

void SourceTab::CmdQuitarTodos_Click() {
  if (host_.RunInProgress()) return;
  editor_.RemoveAll();
  List1->clear();
  for (const auto& [text, id] : sizing_) measurer_.Cancel(id);
  sizing_.clear();
  Label9->clear();
}

}  // namespace orvessa
