#include "ui/value_labels.hpp"

#include <QAccessible>
#include <QAccessibleWidget>

namespace orvessa {
namespace {

constexpr const char* kCaption = "orvessaValueCaption";

class ValueLabelAccessible : public QAccessibleWidget {
 public:
  explicit ValueLabelAccessible(QLabel* label)
      : QAccessibleWidget(label, QAccessible::StaticText) {}

  QString text(QAccessible::Text which) const override {
    if (which != QAccessible::Name) return QAccessibleWidget::text(which);
    const auto* label = static_cast<const QLabel*>(widget());
    const QString caption = label->property(kCaption).toString();
    const QString value = label->text().trimmed();
    if (caption.isEmpty()) return value;
    if (value.isEmpty()) return caption;
    return caption + QStringLiteral(": ") + value;
  }
};

QAccessibleInterface* ValueLabelFactory(const QString&, QObject* object) {
  auto* label = qobject_cast<QLabel*>(object);
  if (label == nullptr || !label->property(kCaption).isValid()) return nullptr;
  return new ValueLabelAccessible(label);
}

}  // namespace

void InstallValueLabels() {
  static const bool installed = [] {
    QAccessible::installFactory(ValueLabelFactory);
    return true;
  }();
  (void)installed;
}

void SetValueCaption(QLabel* label, const QString& caption) {
  label->setAccessibleName(QString());  // a fixed name would hide the value
  label->setProperty(kCaption, caption);
  // One made before the caption was known would go on reading the bare text.
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(label);
  if (face != nullptr && dynamic_cast<ValueLabelAccessible*>(face) == nullptr) {
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(face));
  }
}

}  // namespace orvessa
