// The window's controls and their layout; texts come later, from ApplyLanguage.
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QScrollArea>
#include <QVBoxLayout>

#include "ui/form2.hpp"

namespace orvessa {
namespace {

template <typename W, typename... Args>
W* Make(const char* name, Args&&... args) {
  W* widget = new W(std::forward<Args>(args)...);
  widget->setObjectName(QString::fromUtf8(name));
  return widget;
}

QLineEdit* NumberBox(const char* name, const char* text, int digits) {
  auto* box = Make<QLineEdit>(name, QString::fromLatin1(text));
  box->setMaximumWidth(
      QFontMetrics(box->font()).horizontalAdvance(QString(digits + 2, QLatin1Char('0'))) + 12);
  box->setAlignment(Qt::AlignRight);
  return box;
}

QLabel* ValueLabel(const char* name) {
  auto* label = Make<QLabel>(name);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

QLabel* WrappedLabel(const char* name) {
  auto* label = Make<QLabel>(name);
  label->setWordWrap(true);
  return label;
}

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

  options_ = new OptionsMenu(*menuBar(), *this, autostart_, settings_);

  languages_ = new LanguageMenu(*menuBar(), *this);

  // The tray icon's menu, never on the menu bar.
  mnuSystray = new QMenu(this);
  mnuSystray->setObjectName(QStringLiteral("mnuSystray"));
  mnupopRestaurar = mnuSystray->addAction(QString());
  mnupopRestaurar->setObjectName(QStringLiteral("mnupopRestaurar"));
  mnuSystray->addSeparator();
  mnupopSalir = mnuSystray->addAction(QString());
  mnupopSalir->setObjectName(QStringLiteral("mnupopSalir"));
  help_ = new HelpMenu(*menuBar(), *this, opener_);
  help_->SetLanguage(LanguageBase_, {});
  connect(help_, &HelpMenu::AboutActivated, this, [this] { OtherFormActivated(); });
}

QWidget* Form2::BuildSourceTab() {
  auto* tab = Make<QWidget>("SourcePage");
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
  auto* page = new QVBoxLayout(tab);
  page->addLayout(browser, 5);
  page->addWidget(Frame4, 4);
  return Scrolling(tab, "SourceScroll");
}

QWidget* Form2::BuildDestinationTab() {
  auto* tab = Make<QWidget>("DestinationPage");
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

  auto* page = new QVBoxLayout(tab);
  page->addWidget(Frame3);
  page->addStretch();
  return Scrolling(tab, "DestinationScroll");
}

QWidget* Form2::BuildCopyTab() {
  auto* tab = Make<QWidget>("CopyPage");
  Frame6 = Make<QGroupBox>("Frame6");
  optTodo = Make<QRadioButton>("optTodo");
  optIncremental = Make<QRadioButton>("optIncremental");
  Label12 = Make<QLabel>("Label12");
  txtNcopias = NumberBox("txtNcopias", "2", 2);
  updNC = Make<UpDown>("updNC");
  auto* copies_row = new QHBoxLayout;
  copies_row->addSpacing(20);
  copies_row->addWidget(Label12);
  copies_row->addWidget(txtNcopias);
  copies_row->addWidget(updNC);
  copies_row->addStretch();
  auto* mode = new QVBoxLayout(Frame6);
  mode->addWidget(optTodo);
  mode->addWidget(optIncremental);
  mode->addLayout(copies_row);

  Frame9 = Make<QGroupBox>("Frame9");
  Label13 = WrappedLabel("Label13");
  optManual = Make<QRadioButton>("optManual");
  OptCada = Make<QRadioButton>("OptCada");
  txtNumDSM = NumberBox("txtNumDSM", "1", 2);
  updDSM = Make<UpDown>("updDSM");
  cboDSM = Make<QComboBox>("cboDSM");
  cboDSM->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  chkHoraGraba = Make<QCheckBox>("chkHoraGraba");
  txtHora = NumberBox("txtHora", "00", 2);
  updHora = Make<UpDown>("updHora");
  txtMinutos = NumberBox("txtMinutos", "00", 2);
  updMinuto = Make<UpDown>("updMinuto");
  chkApaga = Make<QCheckBox>("chkApaga");
  // Each option's handler decides both options of its pair, so Qt must not.
  for (QRadioButton* option : {optTodo, optIncremental, optManual, OptCada}) {
    option->setAutoExclusive(false);
  }
  optManual->setChecked(true);
  for (QWidget* control : {static_cast<QWidget*>(txtNumDSM), static_cast<QWidget*>(cboDSM),
                           static_cast<QWidget*>(chkHoraGraba), static_cast<QWidget*>(txtHora),
                           static_cast<QWidget*>(txtMinutos), static_cast<QWidget*>(chkApaga)}) {
    control->setEnabled(false);
  }
  auto* every_row = new QHBoxLayout;
  every_row->addWidget(OptCada);
  every_row->addWidget(txtNumDSM);
  every_row->addWidget(updDSM);
  every_row->addWidget(cboDSM);
  every_row->addStretch();
  auto* time_row = new QHBoxLayout;
  time_row->addSpacing(20);
  time_row->addWidget(chkHoraGraba);
  time_row->addWidget(txtHora);
  time_row->addWidget(updHora);
  time_row->addWidget(Make<QLabel>("lblDosPuntos", QStringLiteral(":")));
  time_row->addWidget(txtMinutos);
  time_row->addWidget(updMinuto);
  time_row->addStretch();
  auto* shutdown_row = new QHBoxLayout;
  shutdown_row->addSpacing(20);
  shutdown_row->addWidget(chkApaga);
  shutdown_row->addStretch();
  auto* schedule = new QVBoxLayout(Frame9);
  schedule->addWidget(Label13);
  schedule->addWidget(optManual);
  schedule->addLayout(every_row);
  schedule->addLayout(time_row);
  schedule->addLayout(shutdown_row);
  lblSchedule = WrappedLabel("lblSchedule");
  schedule->addWidget(lblSchedule);

  Label18 = WrappedLabel("Label18");
  cmdGuardar = Make<QPushButton>("cmdGuardar");
  auto* save_row = new QHBoxLayout;
  save_row->addWidget(Label18, 1);
  save_row->addWidget(cmdGuardar);

  Label14 = Make<QLabel>("Label14");
  Label19 = ValueLabel("Label19");
  Label20 = Make<QLabel>("Label20");
  Label21 = ValueLabel("Label21");
  const QString space_tip = QStringLiteral(
      "Si se sobreescribe la copia el espacio necesario puede ser inferior al que se indica.");
  Label14->setToolTip(space_tip);
  Label20->setToolTip(space_tip);
  auto* space = new QGridLayout;
  space->addWidget(Label14, 0, 0);
  space->addWidget(Label19, 0, 1);
  space->addWidget(Label20, 1, 0);
  space->addWidget(Label21, 1, 1);
  space->setColumnStretch(2, 1);

  Frame2 = Make<QGroupBox>("Frame2");
  Label6 = Make<QLabel>("Label6");
  Label6->setVisible(false);
  Label8 = WrappedLabel("Label8");
  Label8->setMinimumHeight(2 * Label8->fontMetrics().height());
  ProgressBar1 = Make<QProgressBar>("ProgressBar1");
  ProgressBar1->setRange(0, 1000);
  ProgressBar1->setValue(0);
  Animation1 = Make<QLabel>("Animation1");
  Animation1->setAlignment(Qt::AlignCenter);
  Animation1->setMinimumSize(200, 60);
  Animation1->setVisible(false);
  cmdCopiar = Make<QPushButton>("cmdCopiar");
  cmdCopiar->setMinimumHeight(36);
  cmdDetener = Make<QPushButton>("cmdDetener");
  cmdDetener->setMinimumHeight(36);
  cmdDetener->setEnabled(false);
  EscStop = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  EscStop->setObjectName(QStringLiteral("EscStop"));
  EscStop->setEnabled(false);
  chkShutDown = Make<QCheckBox>("chkShutDown");
  auto* run = new QVBoxLayout(Frame2);
  run->addWidget(Label6);
  run->addWidget(Label8);
  run->addWidget(ProgressBar1);
  run->addWidget(Animation1);
  run->addStretch();
  auto* run_buttons = new QHBoxLayout;
  run_buttons->addWidget(cmdCopiar, 1);
  run_buttons->addWidget(cmdDetener);
  run->addLayout(run_buttons);
  run->addWidget(chkShutDown);

  auto* left = new QVBoxLayout;
  left->addWidget(Frame6);
  left->addWidget(Frame9);
  left->addStretch();
  left->addLayout(save_row);
  auto* right = new QVBoxLayout;
  right->addLayout(space);
  right->addWidget(Frame2, 1);
  auto* page = new QHBoxLayout(tab);
  page->addLayout(left, 1);
  page->addLayout(right, 1);
  return Scrolling(tab, "CopyScroll");
}

void Form2::BuildStatusBar() {
  StatusBar1 = Make<QStatusBar>("StatusBar1");
  StatusBar1->setSizeGripEnabled(true);
  for (int i = 0; i < 5; ++i) {
    auto* panel = new QLabel;
    panel->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setMinimumWidth(60);
    StatusBar1->addPermanentWidget(panel, i == 2 ? 1 : 0);
    Panel[static_cast<std::size_t>(i)] = panel;
  }
  setStatusBar(StatusBar1);
}

// Tab follows the order a user reads each page in: top to bottom, left to right.
void Form2::SetTabOrder() {
  // Captions name the fields they stand by; screen readers take the name from them.
  Label17->setBuddy(Filtro);
  Label10->setBuddy(txtDir);
  Label12->setBuddy(txtNcopias);
  const std::initializer_list<QWidget*> chains[] = {
      {Drive1, Dir1, File1, Filtro, Ocultos, Sistema, Modificados, List1, cmdAnadirCarp,
       cmdAnadirFich, cmdQuitarElem, CmdQuitarTodos},
      {cmdDestino, txtDir, cmdCreaDirectorio, cmdBorraDir},
      {optTodo, optIncremental, txtNcopias, optManual, OptCada, txtNumDSM, cboDSM, chkHoraGraba,
       txtHora, txtMinutos, chkApaga, cmdGuardar, cmdCopiar, cmdDetener, chkShutDown}};
  for (const auto& chain : chains) {
    QWidget* previous = nullptr;
    for (QWidget* next : chain) {
      if (previous != nullptr) setTabOrder(previous, next);
      previous = next;
    }
  }
}

void Form2::Connect() {
  connect(mnuAbreTrab, &QAction::triggered, this, [this] { mnuAbreTrab_Click(); });
  connect(mnuGuardaTrab, &QAction::triggered, this, [this] { cmdGuardar_Click(); });
  connect(mnuArchivo_Salir, &QAction::triggered, this, [this] { mnuArchivo_Salir_Click(); });
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

  connect(cmdDestino, &QPushButton::clicked, this, [this] { cmdDestino_Click(); });
  connect(cmdCreaDirectorio, &QPushButton::clicked, this, [this] { cmdCreaDirectorio_Click(); });
  connect(cmdBorraDir, &QPushButton::clicked, this, [this] { cmdBorraDir_Click(); });

  ConnectSchedule();
  connect(cmdGuardar, &QPushButton::clicked, this, [this] { cmdGuardar_Click(); });
  connect(cmdCopiar, &QPushButton::clicked, this, [this] { cmdCopiar_Click(); });
  connect(cmdDetener, &QPushButton::clicked, this, [this] { cmdDetener_Click(); });
  connect(EscStop, &QShortcut::activated, this, [this] { cmdDetener_Click(); });
}

}  // namespace orvessa
