#include "ui/dialogs.hpp"

#include <QFileDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <algorithm>

namespace orvessa {
namespace {

struct TestHooks {
  bool on = false;
  std::deque<QMessageBox::StandardButton> answers;
  std::deque<int> choices;
  std::deque<QString> file_names;
  std::vector<Dialogs::Shown> shown;
  QStringList filters;
  QStringList folders;
};

TestHooks& Hooks() {
  static TestHooks hooks;
  return hooks;
}

QMessageBox::Icon ToQt(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Critical:
      return QMessageBox::Critical;
    case MessageIcon::Exclamation:
      return QMessageBox::Warning;
    case MessageIcon::Information:
      break;
    case MessageIcon::None:
      return QMessageBox::NoIcon;
  }
  return QMessageBox::Information;
}

QString NextFileName() {
  TestHooks& hooks = Hooks();
  if (hooks.file_names.empty()) return {};
  QString name = hooks.file_names.front();
  hooks.file_names.pop_front();
  return name;
}

}  // namespace

QMessageBox::StandardButton Dialogs::Message(QWidget* owner, const QString& text, MessageIcon icon,
                                             Buttons buttons, const QString& title_asked) {
  const QString title = title_asked.isEmpty() ? QStringLiteral("Orvessa") : title_asked;
  TestHooks& hooks = Hooks();
  if (hooks.on) {
    hooks.shown.push_back({text, icon, title});
    if (hooks.answers.empty()) return QMessageBox::Ok;
    const auto answer = hooks.answers.front();
    hooks.answers.pop_front();
    return answer;
  }
  QMessageBox box(ToQt(icon), title, text,
                  buttons == Buttons::Ok ? QMessageBox::Ok : QMessageBox::Ok | QMessageBox::Cancel,
                  owner);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

int Dialogs::Choose(QWidget* owner, const QString& text, MessageIcon icon,
                    const QStringList& buttons, const QString& cancel) {
  TestHooks& hooks = Hooks();
  if (hooks.on) {
    hooks.shown.push_back({text, icon, QStringLiteral("Orvessa")});
    if (hooks.choices.empty()) return 0;
    const int choice = hooks.choices.front();
    hooks.choices.pop_front();
    return choice;
  }
  QMessageBox box(ToQt(icon), QStringLiteral("Orvessa"), text, QMessageBox::NoButton, owner);
  std::vector<QPushButton*> added;
  for (const QString& caption : buttons) {
    added.push_back(
        box.addButton(caption, added.empty() ? QMessageBox::AcceptRole : QMessageBox::ActionRole));
  }
  if (!added.empty()) box.setDefaultButton(added.front());
  box.setEscapeButton(box.addButton(cancel, QMessageBox::RejectRole));
  box.exec();
  const auto found = std::find(added.begin(), added.end(), box.clickedButton());
  return found == added.end() ? -1 : static_cast<int>(found - added.begin());
}

void Dialogs::Show(QWidget* owner, const QString& text, MessageIcon icon) {
  const QString title = QStringLiteral("Orvessa");
  TestHooks& hooks = Hooks();
  if (hooks.on) {
    hooks.shown.push_back({text, icon, title, false});
    return;
  }
  auto* box = new QMessageBox(ToQt(icon), title, text, QMessageBox::Ok, owner);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::NonModal);
  box->show();
}

QString Dialogs::OpenFileName(QWidget* owner, const QString& start_folder, const QString& filter) {
  TestHooks& hooks = Hooks();
  if (hooks.on) {
    hooks.filters << filter;
    hooks.folders << start_folder;
    return NextFileName();
  }
  return QFileDialog::getOpenFileName(owner, QString(), start_folder, filter);
}

QString Dialogs::SaveFileName(QWidget* owner, const QString& start_folder, const QString& filter) {
  TestHooks& hooks = Hooks();
  if (hooks.on) {
    hooks.filters << filter;
    hooks.folders << start_folder;
    return NextFileName();
  }
  // Saving over a job file replaces it without a question, as the Save command always did.
  return QFileDialog::getSaveFileName(owner, QString(), start_folder, filter, nullptr,
                                      QFileDialog::DontConfirmOverwrite);
}

QString Dialogs::BrowseForFolder(QWidget* owner, const QString& title) {
  if (Hooks().on) return NextFileName();
  return QFileDialog::getExistingDirectory(owner, title, QString(), QFileDialog::ShowDirsOnly);
}

void Dialogs::TestMode(bool on) { Hooks().on = on; }

void Dialogs::setNextAnswer(QMessageBox::StandardButton answer) {
  Hooks().on = true;
  Hooks().answers.push_back(answer);
}

void Dialogs::setNextChoice(int index) {
  Hooks().on = true;
  Hooks().choices.push_back(index);
}

void Dialogs::setNextFileName(const QString& path) {
  Hooks().on = true;
  Hooks().file_names.push_back(path);
}

const std::vector<Dialogs::Shown>& Dialogs::ShownMessages() { return Hooks().shown; }

void Dialogs::ClearShown() {
  TestHooks& hooks = Hooks();
  hooks.shown.clear();
  hooks.answers.clear();
  hooks.choices.clear();
  hooks.file_names.clear();
  hooks.filters.clear();
  hooks.folders.clear();
}

const QStringList& Dialogs::AskedFilters() { return Hooks().filters; }
const QStringList& Dialogs::AskedFolders() { return Hooks().folders; }

QString ToQtFilter(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList filters;
  static const QRegularExpression bracketed(QStringLiteral("\\([^)]*\\)"));
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString pattern = parts[i + 1].trimmed();
    if (pattern == QStringLiteral("*.*")) pattern = QStringLiteral("*");
    pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
    QString description = parts[i];
    const QString shown = QLatin1Char('(') + pattern + QLatin1Char(')');
    if (description.contains(bracketed)) {
      description.replace(bracketed, shown);
    } else {
      description = (description.trimmed() + QLatin1Char(' ') + shown).trimmed();
    }
    filters << description;
  }
  return filters.join(QStringLiteral(";;"));
}

}  // namespace orvessa
