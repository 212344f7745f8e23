// The language menu and the texts of the window in the current language.
#include "i18n/string_table.hpp"
#include "ui/form2.hpp"
#include "ui/form2_tables.hpp"
#include "ui/qt_text.hpp"

namespace orvessa {
namespace {

struct Language {
  std::int16_t base;
  const char* help_page;
};

// In menu order; the last three entries have no language behind them.
constexpr Language kLanguages[4] = {{kEnglishBase, "/ayuda_eng.html"},
                                    {kSpanishBase, "/ayuda_esp.html"},
                                    {kGermanBase, "/ayuda_dutch.html"},
                                    {kFrenchBase, "/ayuda_eng.html"}};

}  // namespace

void Form2::SelectLanguage(int entry) {
  if (entry < 0 || entry >= 7) return;
  for (QAction* action : mnuLang) action->setChecked(false);
  mnuLang[static_cast<std::size_t>(entry)]->setChecked(true);
  if (entry >= 4) return;
  LanguageBase_ = kLanguages[entry].base;
  ApplyLanguage();
  HelpFile_ = folders_.data_folder + kLanguages[entry].help_page;
}

void Form2::ApplyLanguage() {
  setWindowTitle(Text(3));
  MenuArchivo->setTitle(Text(4));
  mnuAbreTrab->setText(Text(5));
  mnuGuardaTrab->setText(Text(6));
  mnuArchivo_Salir->setText(Text(7));
  mnuLanguage->setTitle(Text(19));

  const std::pair<QWidget*, int> captions[] = {
      {Frame5, 23},         {Label17, 24},       {Frame1, 25},
      {Ocultos, 26},        {Sistema, 27},       {Modificados, 28},
      {Label1, 29},         {Frame4, 30},        {cmdAnadirCarp, 31},
      {cmdAnadirFich, 32},  {cmdQuitarElem, 33}, {CmdQuitarTodos, 34},
      {Label4, 35},         {Frame3, 37},        {Label3, 38},
      {cmdDestino, 39},     {Label10, 40},       {cmdCreaDirectorio, 41},
      {cmdBorraDir, 42},    {Frame6, 44},        {optTodo, 45},
      {optIncremental, 46}, {Label12, 47},       {Frame9, 48},
      {Label13, 49},        {optManual, 50},     {OptCada, 51},
      {chkHoraGraba, 52},   {chkApaga, 53},      {Label18, 54},
      {cmdGuardar, 55},     {Label14, 56},       {Label20, 57},
      {Frame2, 58},         {Label6, 59},        {cmdCopiar, 62},
      {chkShutDown, 63}};
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
  SSTab1->setTabText(0, Text(22));
  SSTab1->setTabText(1, Text(36));
  SSTab1->setTabText(2, Text(43));
  Panel[0]->setText(Text(64));

  cboDSM->clear();
  cboDSM->addItems({Text(106), Text(107), Text(108)});
  SelectUnitLine(job_.IntervalUnit);

  ShowLastOutcome();

  Filtro->clear();
  Filtro->addItems({Text(95), Text(96)});
  for (const auto& entry : form2::kFixedFilters) Filtro->addItem(QString::fromLatin1(entry.text));
  Filtro->setCurrentIndex(0);
  Filtro_Click();
}

void Form2::ShowLastOutcome() {
  // Before any run or loaded job there is no outcome to show.
  if (job_.LastRunDate.empty() && run_->LastEnd == RunEnd::NotRun) return;
  if (job_.LastRunOutcome == 0) Panel[4]->setText(Text(65));
  if (job_.LastRunOutcome == 1) Panel[4]->setText(Text(66));
}

}  // namespace orvessa
