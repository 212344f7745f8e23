#include "ui/form1.hpp"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "i18n/string_table.hpp"
#include "i18n/text_ids.hpp"
#include "ui/qt_text.hpp"

namespace orvessa {

Form1::Form1(const QString& picture_path, std::int16_t language_base)
    : language_base_(language_base) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Orvessa"));
  Picture1 = new QLabel(this);
  Picture1->setObjectName(QStringLiteral("Picture1"));
  Picture1->setAlignment(Qt::AlignCenter);
  // 300 pixels square, less where a small or scaled screen would leave no room for the text.
  int side = 300;
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    side = std::min(side, screen->availableGeometry().height() / 2);
  }
  const QPixmap picture(picture_path);
  if (!picture.isNull()) {
    Picture1->setPixmap(picture.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation));
  }
  Picture1->setFixedSize(side, side);
  Label1 = new QLabel(this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setAlignment(Qt::AlignCenter);
  Label1->setWordWrap(true);
  auto* column = new QVBoxLayout(this);
  column->addWidget(Picture1, 0, Qt::AlignHCenter);
  column->addWidget(Label1);
  shown_for_ = new QTimer(this);
  shown_for_->setObjectName(QStringLiteral("Timer1"));
  shown_for_->setSingleShot(true);
  // A coarse timer may fire up to 5% early; the splash stays up at least its time.
  shown_for_->setTimerType(Qt::PreciseTimer);
  connect(shown_for_, &QTimer::timeout, this, &Form1::MinimumShown);
}

void Form1::Form_Load() {
  Label1->setText(Q(LoadText(language_base_, text_id::kSplashHint)));
  setWindowTitle(Q(LoadText(language_base_, text_id::kSplashTitle)));
}

void Form1::ShowFor(std::chrono::milliseconds minimum) {
  // Wrapped text as wide as the picture, with the height its lines need.
  Label1->setFixedWidth(Picture1->width() + 40);
  Label1->setMinimumHeight(Label1->heightForWidth(Label1->width()));
  adjustSize();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect placed = frameGeometry();
    placed.moveCenter(screen->availableGeometry().center());
    move(placed.topLeft());
  }
  show();
  raise();
  shown_for_->start(minimum);
}

}  // namespace orvessa
