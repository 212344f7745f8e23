#pragma once

#include <QAbstractButton>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <utility>

namespace orvessa {

// A control under the name the design gives it; tests and the accessibility tree find it by it.
template <typename W, typename... Args>
W* Make(const char* name, Args&&... args) {
  W* widget = new W(std::forward<Args>(args)...);
  widget->setObjectName(QString::fromUtf8(name));
  return widget;
}

inline QLineEdit* NumberBox(const char* name, const char* text, int digits) {
  auto* box = Make<QLineEdit>(name, QString::fromLatin1(text));
  box->setMaximumWidth(
      QFontMetrics(box->font()).horizontalAdvance(QString(digits + 2, QLatin1Char('0'))) + 12);
  box->setAlignment(Qt::AlignRight);
  return box;
}

inline QLabel* ValueLabel(const char* name) {
  auto* label = Make<QLabel>(name);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

inline QLabel* WrappedLabel(const char* name) {
  auto* label = Make<QLabel>(name);
  label->setWordWrap(true);
  return label;
}

// A caption as a name for screen readers: without its colon and trailing blanks.
inline QString NameOf(QString caption) {
  caption = caption.trimmed();
  while (caption.endsWith(QLatin1Char(':'))) caption.chop(1);
  return caption.trimmed();
}

// Tab follows the order a user reads a page in.
inline void ChainTabOrder(std::initializer_list<QWidget*> chain) {
  QWidget* previous = nullptr;
  for (QWidget* next : chain) {
    if (previous != nullptr) QWidget::setTabOrder(previous, next);
    previous = next;
  }
}

// A caption in the current language, on whatever kind of control shows it.
inline void SetCaption(QWidget* control, const QString& text) {
  if (auto* label = qobject_cast<QLabel*>(control)) {
    label->setText(text);
  } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
    button->setText(text);
  } else if (auto* frame = qobject_cast<QGroupBox*>(control)) {
    frame->setTitle(text);
  }
}

}  // namespace orvessa
