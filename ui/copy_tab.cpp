// Code that sets a box runs its handler, so every enable and disable rule of the schedule
// lives in one handler, the schedule form's.
#include "ui/copy_tab.hpp"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QTimer>
#include <QVBoxLayout>

#include "i18n/text_ids.hpp"
#include "ui/make_widget.hpp"
#include "ui/mnemonics.hpp"
#include "ui/qt_text.hpp"
#include "ui/value_labels.hpp"

namespace orvessa {

using namespace text_id;

CopyTab::CopyTab(TabHost& host, BackupJob& job, QWidget& window)
    : host_(host), schedule_form_(job) {
  setObjectName(QStringLiteral("CopyPage"));
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

  run_ = new RunPanel(host, window);

  auto* left = new QVBoxLayout;
  left->addWidget(Frame6);
  left->addWidget(Frame9);
  left->addStretch();
  left->addLayout(save_row);
  auto* right = new QVBoxLayout;
  right->addLayout(space);
  right->addWidget(run_, 1);
  auto* page = new QHBoxLayout(this);
  page->addLayout(left, 1);
  page->addLayout(right, 1);

  ConnectSchedule();
  connect(cmdGuardar, &QPushButton::clicked, this, [this] { emit SaveClicked(); });
  ConnectChanges();
}

// Changing only what differs: a box's text set anew would move the user's cursor. During a
// run the controls stay disabled; the run gives them back as the form says.
void CopyTab::RenderSchedule() {
  const ScheduleControls& c = schedule_form_.Controls();
  const bool locked = host_.RunInProgress();
  auto show = [locked](QAbstractButton* button, const Switch& state) {
    if (button->isChecked() != state.checked) button->setChecked(state.checked);
    if (!locked) button->setEnabled(state.enabled);
  };
  auto box = [locked](QLineEdit* edit, const Box& state) {
    if (edit->text() != Q(state.text)) edit->setText(Q(state.text));
    if (!locked) edit->setEnabled(state.enabled);
  };
  show(optTodo, c.optTodo);
  show(optIncremental, c.optIncremental);
  box(txtNcopias, c.txtNcopias);
  show(optManual, c.optManual);
  show(OptCada, c.OptCada);
  box(txtNumDSM, c.txtNumDSM);
  if (cboDSM->currentIndex() != c.cboDSM) cboDSM->setCurrentIndex(c.cboDSM);
  show(chkHoraGraba, c.chkHoraGraba);
  box(txtHora, c.txtHora);
  box(txtMinutos, c.txtMinutos);
  show(chkApaga, c.chkApaga);
  show(run_->PowerOffBox(), c.chkShutDown);
  if (!locked) {
    cboDSM->setEnabled(c.cboDSM_enabled);
    updHora->setEnabled(c.updHora_enabled);
    updMinuto->setEnabled(c.updMinuto_enabled);
  }
  emit ScheduleShown(c.chkShutDown.checked, c.timer);
}

// Each control's handler is the form's; the tab only shows the outcome.
void CopyTab::ConnectSchedule() {
  auto on = [this](QAbstractButton* button, void (ScheduleForm::*handler)()) {
    connect(button, &QAbstractButton::clicked, this, [this, handler] {
      (schedule_form_.*handler)();
      RenderSchedule();
    });
  };
  auto checked = [this](QAbstractButton* button, void (ScheduleForm::*handler)(bool)) {
    connect(button, &QAbstractButton::clicked, this, [this, handler](bool state) {
      (schedule_form_.*handler)(state);
      RenderSchedule();
    });
  };
  auto typed = [this](QLineEdit* edit, void (ScheduleForm::*handler)(const std::string&)) {
    connect(edit, &QLineEdit::textChanged, this, [this, handler](const QString& text) {
      (schedule_form_.*handler)(S(text));
      RenderSchedule();
    });
  };
  on(optTodo, &ScheduleForm::optTodo_Click);
  on(optIncremental, &ScheduleForm::optIncremental_Click);
  typed(txtNcopias, &ScheduleForm::txtNcopias_Change);
  on(optManual, &ScheduleForm::optManual_Click);
  on(OptCada, &ScheduleForm::OptCada_Click);
  typed(txtNumDSM, &ScheduleForm::txtNumDSM_Change);
  connect(cboDSM, &QComboBox::activated, this, [this](int line) {
    schedule_form_.cboDSM_Click(line);
    RenderSchedule();
  });
  checked(chkHoraGraba, &ScheduleForm::chkHoraGraba_Click);
  typed(txtHora, &ScheduleForm::txtHora_Change);
  typed(txtMinutos, &ScheduleForm::txtMinutos_Change);
  checked(chkApaga, &ScheduleForm::chkApaga_Click);
  checked(run_->PowerOffBox(), &ScheduleForm::chkShutDown_Click);
  const std::pair<UpDown*, std::pair<void (ScheduleForm::*)(), void (ScheduleForm::*)()>> arrows[] =
      {{updNC, {&ScheduleForm::updNC_DownClick, &ScheduleForm::updNC_UpClick}},
       {updDSM, {&ScheduleForm::updDSM_DownClick, &ScheduleForm::updDSM_UpClick}},
       {updHora, {&ScheduleForm::updHora_DownClick, &ScheduleForm::updHora_UpClick}},
       {updMinuto, {&ScheduleForm::updMinuto_DownClick, &ScheduleForm::updMinuto_UpClick}}};
  for (const auto& [updown, handlers] : arrows) {
    connect(updown, &UpDown::DownClicked, this, [this, down = handlers.first] {
      (schedule_form_.*down)();
      RenderSchedule();
    });
    connect(updown, &UpDown::UpClicked, this, [this, up = handlers.second] {
      (schedule_form_.*up)();
      RenderSchedule();
    });
  }
}

// Any change of the schedule is told once its handlers have run.
void CopyTab::ConnectChanges() {
  auto* refresh = new QTimer(this);
  refresh->setSingleShot(true);
  refresh->setInterval(0);
  connect(refresh, &QTimer::timeout, this, [this] { emit ScheduleChanged(); });
  auto later = [refresh] { refresh->start(); };
  for (QLineEdit* box : {txtNumDSM, txtHora, txtMinutos})
    connect(box, &QLineEdit::textChanged, this, later);
  for (QAbstractButton* box :
       std::initializer_list<QAbstractButton*>{optManual, OptCada, chkHoraGraba, chkApaga}) {
    connect(box, &QAbstractButton::toggled, this, later);
  }
  connect(cboDSM, &QComboBox::activated, this, later);
}

// Without a way to learn of the session's end the option cannot keep its promise, so it
// is offered only where one was found, and says why otherwise.
void CopyTab::SetShutdownChannel(bool announced) {
  const QString why = announced ? QString() : host_.Text(kNoShutdownChannel);
  chkApaga->setToolTip(why);
  chkApaga->setAccessibleDescription(why);
  schedule_form_.SetShutdownChannel(announced);
  RenderSchedule();
}

void CopyTab::ShowScheduleText(const QString& text) {
  lblSchedule->setText(text);
  lblSchedule->setVisible(!text.isEmpty());
}

void CopyTab::ApplyTexts() {
  SetCaptions(host_, {{Frame6, kKindOfCopy},
                      {optTodo, kOverwriteAll},
                      {optIncremental, kKeepPriorCopies},
                      {Label12, kCopiesToKeep},
                      {Frame9, kPeriodicalBackup},
                      {Label13, kDetermineWhen},
                      {optManual, kRunManually},
                      {OptCada, kEvery},
                      {chkHoraGraba, kTimeOfCopy},
                      {chkApaga, kCopyAtShutdown},
                      {Label18, kYouCanSave},
                      {Label14, kNecessarySpace},
                      {Label20, kAvailableSpace}});
  run_->ApplyTexts();

  SetAccessibleNames(host_, {{txtNcopias, kCopiesToKeep},
                             {updNC, kCopiesToKeep},
                             {txtNumDSM, kEvery},
                             {updDSM, kEvery},
                             {cboDSM, kUnit},
                             {txtHora, kHour},
                             {updHora, kHour},
                             {txtMinutos, kMinute},
                             {updMinuto, kMinute}});
  SetValueCaption(Label19, NameOf(host_.Text(kNecessarySpace)));
  SetValueCaption(Label21, NameOf(host_.Text(kAvailableSpace)));
  for (UpDown* arrows : {updNC, updDSM, updHora, updMinuto}) {
    arrows->UpButton()->setAccessibleName(arrows->accessibleName() + QStringLiteral(" +"));
    arrows->DownButton()->setAccessibleName(arrows->accessibleName() + QStringLiteral(" -"));
  }
}

void CopyTab::MarkButtons(Mnemonics& letters) {
  run_->MarkButtons(letters);
  cmdGuardar->setText(letters.Mark(host_.Text(kSave)));
}

void CopyTab::FillUnits() {
  cboDSM->clear();
  cboDSM->addItems({host_.Text(kDays), host_.Text(kWeeks), host_.Text(kMonths)});
  RenderSchedule();
}

void CopyTab::SetTabOrder() {
  Label12->setBuddy(txtNcopias);
  ChainTabOrder({optTodo, optIncremental, txtNcopias, optManual, OptCada, txtNumDSM, cboDSM,
                 chkHoraGraba, txtHora, txtMinutos, chkApaga, cmdGuardar, run_->CopyButton(),
                 run_->StopButton(), run_->PowerOffBox()});
}

std::vector<QWidget*> CopyTab::JobCommands() const {
  return {optTodo,    optIncremental, txtNcopias, updNC,        optManual,         OptCada,
          txtNumDSM,  updDSM,         cboDSM,     chkHoraGraba, txtHora,           updHora,
          txtMinutos, updMinuto,      chkApaga,   cmdGuardar,   run_->CopyButton()};
}

QLabel* CopyTab::LabelOf(Control label) const {
  switch (label) {
    case Control::Label19:
      return Label19;
    case Control::Label20:
      return Label20;
    case Control::Label21:
      return Label21;
    default:
      return run_->LabelOf(label);
  }
}

}  // namespace orvessa
