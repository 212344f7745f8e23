// The language menu and the texts of the window in the current language.
#include <QApplication>
#include <QMenuBar>
#include <QScrollArea>

#include "i18n/string_table.hpp"
#include "i18n/text_ids.hpp"
#include "ui/form2.hpp"
#include "ui/form2_tables.hpp"
#include "ui/mnemonics.hpp"
#include "ui/qt_text.hpp"
#include "ui/value_labels.hpp"

namespace orvessa {
namespace {

using namespace text_id;

// A caption as a name for screen readers: without its colon and trailing blanks.
QString NameOf(QString caption) {
  caption = caption.trimmed();
  while (caption.endsWith(QLatin1Char(':'))) caption.chop(1);
  return caption.trimmed();
}

}  // namespace

void Form2::SelectLanguage(int entry) {
  const auto language = languages_->Select(entry);
  if (!language) return;
  LanguageBase_ = language->base;
  help_->SetLanguage(LanguageBase_, folders_.data_folder + language->help_page);
  ApplyLanguage();
  emit LanguageChanged(LanguageBase_);
}

void Form2::ApplyLanguage() {
  setWindowTitle(Text(kMainTitle));
  mnuAbreTrab->setText(Text(kLoadJob));
  mnuGuardaTrab->setText(Text(kSaveJob));
  mnuArchivo_Salir->setText(Text(kExit));
  mnupopRestaurar->setText(Text(kTrayRestore));
  mnupopSalir->setText(Text(kTrayExit));

  const std::pair<QWidget*, int> captions[] = {{Frame5, kSourceDrive},
                                               {Label17, kFilterByExtension},
                                               {Frame1, kSeeFiles},
                                               {Ocultos, kHidden},
                                               {Sistema, kSystem},
                                               {Modificados, kModified},
                                               {Label1, kNumberOfFiles},
                                               {Frame4, kSelection},
                                               {Label4, kNecessarySpaceSource},
                                               {Frame3, kChooseDestination},
                                               {Label3, kAvailableDriveSpace},
                                               {Label10, kCreateOrErase},
                                               {Frame6, kKindOfCopy},
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
                                               {Label20, kAvailableSpace},
                                               {Frame2, kRunningBackup},
                                               {Label6, kCopying},
                                               {chkShutDown, kShutDownWhenFinished}};
  for (const auto& [control, number] : captions) {
    const QString text = Text(number);
    if (auto* label = qobject_cast<QLabel*>(control)) {
      label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
      button->setText(text);
    } else if (auto* frame = qobject_cast<QGroupBox*>(control)) {
      frame->setTitle(text);
    }
  }

  // The menus and main buttons get a letter for Alt, each letter once in the window.
  Mnemonics letters;
  MenuArchivo->setTitle(letters.Mark(Text(kFileMenu)));
  languages_->Menu()->setTitle(letters.Mark(Text(kLanguageMenu)));
  options_->ApplyTexts(LanguageBase_, letters);
  const std::pair<QAbstractButton*, int> buttons[] = {
      {cmdCopiar, kRunNow},         {cmdDetener, kStop},        {cmdGuardar, kSave},
      {cmdAnadirCarp, kAddFolders}, {cmdAnadirFich, kAddFiles}, {cmdQuitarElem, kRemoveItem},
      {CmdQuitarTodos, kRemoveAll}, {cmdDestino, kSearchDrive}, {cmdCreaDirectorio, kCreateFolder},
      {cmdBorraDir, kEraseFolder}};
  for (const auto& [button, number] : buttons) button->setText(letters.Mark(Text(number)));
  help_->ApplyTexts(letters);

  const int tabs[] = {kSourceTab, kDestinationTab, kCopyTab};
  for (int tab = 0; tab < 3; ++tab) SSTab1->setTabText(tab, Text(tabs[tab]));
  Panel[0]->setText(Text(kLastCopy));
  ApplyAccessibleNames();
  ApplyShutdownChannel();

  cboDSM->clear();
  cboDSM->addItems({Text(kDays), Text(kWeeks), Text(kMonths)});
  RenderSchedule();
  ShowScheduleStatus();
  lblDestinationState->setText(Text(text_id::kDriveNotReady));

  ShowLastOutcome();

  Filtro->clear();
  Filtro->addItems({Text(kFilterAll), Text(kFilterText)});
  for (const auto& entry : form2::kFixedFilters) Filtro->addItem(QString::fromLatin1(entry.text));
  Filtro->setCurrentIndex(0);
  Filtro_Click();
}

// Controls without a caption of their own are named after what they hold, so that
// screen readers and the accessibility tree can tell them apart.
void Form2::ApplyAccessibleNames() {
  const std::pair<QWidget*, int> names[] = {{SSTab1, kMainTitle},
                                            {Drive1, kSourceDrive},
                                            {Dir1, kFolders},
                                            {File1, kFiles},
                                            {Filtro, kFilterByExtension},
                                            {List1, kSelection},
                                            {txtDir, kFolderName},
                                            {txtNcopias, kCopiesToKeep},
                                            {updNC, kCopiesToKeep},
                                            {txtNumDSM, kEvery},
                                            {updDSM, kEvery},
                                            {cboDSM, kUnit},
                                            {txtHora, kHour},
                                            {updHora, kHour},
                                            {txtMinutos, kMinute},
                                            {updMinuto, kMinute},
                                            {ProgressBar1, kProgress},
                                            {Animation1, kCopying}};
  for (const auto& [control, number] : names) control->setAccessibleName(NameOf(Text(number)));
  // Labels that show a value are heard with it; their caption says what it is.
  const std::pair<QLabel*, int> values[] = {
      {Label2, kNumberOfFiles},       {Label9, kNecessarySpaceSource},
      {Label5, kDestinationFolder},   {Label7, kAvailableDriveSpace},
      {Label19, kNecessarySpace},     {Label21, kAvailableSpace},
      {Label8, kRunningBackup},       {Panel[1], kJobFile},
      {Panel[2], kDestinationFolder}, {Panel[3], kLastCopy},
      {Panel[4], kLastOutcome}};
  for (const auto& [label, number] : values) SetValueCaption(label, NameOf(Text(number)));
  Panel[0]->setAccessibleName(QString());  // a caption: heard as it reads
  for (UpDown* arrows : {updNC, updDSM, updHora, updMinuto}) {
    arrows->UpButton()->setAccessibleName(arrows->accessibleName() + QStringLiteral(" +"));
    arrows->DownButton()->setAccessibleName(arrows->accessibleName() + QStringLiteral(" -"));
  }
  const int pages[] = {kSourceTab, kDestinationTab, kCopyTab};
  for (int tab = 0; tab < 3; ++tab) {
    SSTab1->widget(tab)->setAccessibleName(NameOf(Text(pages[tab])));
    if (auto* area = qobject_cast<QScrollArea*>(SSTab1->widget(tab))) {
      area->widget()->setAccessibleName(NameOf(Text(pages[tab])));
    }
  }
  menuBar()->setAccessibleName(NameOf(Text(kMainTitle)));
  MenuArchivo->setAccessibleName(NameOf(Text(kFileMenu)));
  languages_->Menu()->setAccessibleName(NameOf(Text(kLanguageMenu)));
  mnuSystray->setAccessibleName(QStringLiteral("Orvessa"));
  options_->Menu()->setAccessibleName(NameOf(Text(kOptionsMenu)));
  StatusBar1->setAccessibleName(NameOf(Text(kLastCopy)));
}

void Form2::ShowLastOutcome() {
  switch (outcome_) {
    case Outcome::None:  // before any run or loaded job there is no outcome to show
      break;
    case Outcome::Successful:
      Panel[4]->setText(Text(kSuccessful));
      break;
    case Outcome::Error:
      Panel[4]->setText(Text(kError));
      break;
    case Outcome::Stopped:
      Panel[4]->setText(Text(kStopped));
      break;
  }
}

}  // namespace orvessa
