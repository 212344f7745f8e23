#include "ui/up_down.hpp"

#include <QVBoxLayout>

namespace orvessa {

UpDown::UpDown(QWidget* parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  for (auto [button, arrow, name] :
       {std::tuple{up_, Qt::UpArrow, "up"}, std::tuple{down_, Qt::DownArrow, "down"}}) {
    button->setObjectName(QString::fromLatin1(name));
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFixedSize(18, 12);
    button->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(button);
  }
  connect(up_, &QToolButton::clicked, this, &UpDown::UpClicked);
  connect(down_, &QToolButton::clicked, this, &UpDown::DownClicked);
}

}  // namespace orvessa
