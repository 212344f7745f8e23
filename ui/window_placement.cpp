#include "ui/window_placement.hpp"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <algorithm>

#include "ui/qt_text.hpp"

namespace orvessa {
namespace {

constexpr QSize kFirstSize(1024, 700);

// Room the window manager's frame takes before the frame exists: a title bar and borders.
constexpr QMargins kFrameAllowance(4, 32, 4, 4);

QScreen* ScreenAt(const QPoint& point) {
  QScreen* screen = QGuiApplication::screenAt(point);
  return screen != nullptr ? screen : QGuiApplication::primaryScreen();
}

}  // namespace

WindowPlacement::WindowPlacement(QWidget& window, SettingsStore& settings)
    : QObject(&window), window_(window), settings_(settings) {}

void WindowPlacement::Restore() {
  const QStringList stored = Q(settings_.Get("Window", "Geometry", "")).split(QLatin1Char(','));
  QRect wanted(QPoint(), kFirstSize);
  bool placed = false;
  if (stored.size() == 4) {
    bool ok[4] = {};
    const QRect rect(stored[0].toInt(&ok[0]), stored[1].toInt(&ok[1]), stored[2].toInt(&ok[2]),
                     stored[3].toInt(&ok[3]));
    if (ok[0] && ok[1] && ok[2] && ok[3] && rect.width() > 0 && rect.height() > 0) {
      wanted = rect;
      placed = true;
    }
  }
  if (!placed) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      wanted.moveCenter(screen->availableGeometry().center());
    }
  }
  wanted_size_ = wanted.size();
  window_.resize(wanted.size());
  window_.move(wanted.topLeft());
  FitToScreen();
}

void WindowPlacement::Save() {
  // A window that never came up has no place of its own to keep.
  if (!fitted_) return;
  const QPoint at = window_.pos();
  settings_.Save("Window", "Geometry",
                 S(QStringLiteral("%1,%2,%3,%4")
                       .arg(at.x())
                       .arg(at.y())
                       .arg(window_.width())
                       .arg(window_.height())));
}

void WindowPlacement::FitToScreen() {
  const QScreen* screen = ScreenAt(window_.frameGeometry().center());
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  const QRect frame = window_.frameGeometry(), inner = window_.geometry();
  QMargins margins(inner.left() - frame.left(), inner.top() - frame.top(),
                   frame.right() - inner.right(), frame.bottom() - inner.bottom());
  if (margins.isNull()) margins = kFrameAllowance;
  // Back towards the size wanted, now that the real frame may be smaller than allowed for.
  const QSize wanted = fitted_ && wanted_size_.isValid() ? wanted_size_ : inner.size();
  const int width = std::min(wanted.width(), area.width() - margins.left() - margins.right());
  const int height = std::min(wanted.height(), area.height() - margins.top() - margins.bottom());
  const int outer_width = width + margins.left() + margins.right();
  const int outer_height = height + margins.top() + margins.bottom();
  const int x = std::clamp(frame.x(), area.left(), area.left() + area.width() - outer_width);
  const int y = std::clamp(frame.y(), area.top(), area.top() + area.height() - outer_height);
  window_.resize(width, height);
  window_.move(x, y);
}

void WindowPlacement::Shown() {
  if (fitted_) return;
  fitted_ = true;
  // The frame is known only once the window manager has put it around the window.
  FitWhenFramed();
}

void WindowPlacement::FitWhenFramed() {
  QTimer::singleShot(200, this, [this] {
    // A minimised window is fitted when it is restored: moving it now would bring it up.
    if (!window_.isVisible() || window_.isMinimized()) return;
    FitToScreen();
    wanted_size_ = QSize();  // from now on the user decides the size
  });
}

}  // namespace orvessa
