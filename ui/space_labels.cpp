#include "ui/space_labels.hpp"

#include <memory>

#include "ui/copy_tab.hpp"
#include "ui/destination_tab.hpp"
#include "ui/dialogs.hpp"
#include "ui/qt_text.hpp"
#include "ui/source_tab.hpp"

namespace orvessa {

SpaceLabels::SpaceLabels(QWidget& window, const TabHost& host, Measurer& measurer, FileSystem& fs,
                         const BackupJob& job, const Form2Folders& folders)
    : window_(window), host_(host), measurer_(measurer), fs_(fs), job_(job), folders_(folders) {
  QObject::connect(&measurer_, &Measurer::busyChanged, &window_, [this](bool busy) {
    if (host_.RunInProgress()) return;  // the run's own cursor stays
    if (busy) {
      window_.setCursor(Qt::BusyCursor);
    } else {
      window_.unsetCursor();
    }
  });
}

void SpaceLabels::SetTabs(SourceTab& source, DestinationTab& destination, CopyTab& copy) {
  source_ = &source;
  destination_ = &destination;
  copy_ = &copy;
}

QLabel* SpaceLabels::LabelOf(Control label) const {
  if (QLabel* shown = source_->LabelOf(label)) return shown;
  if (QLabel* shown = destination_->LabelOf(label)) return shown;
  return copy_->LabelOf(label);
}

void SpaceLabels::SetLabelText(Control label, const std::string& text) {
  QLabel* shown = LabelOf(label);
  shown->setText(Q(text));
  if (label == Control::Label8) shown->repaint();
  // A destination reported as not ready is forgotten, and its state with it.
  if (label == Control::Label5 && text.empty()) destination_->HideState();
}

void SpaceLabels::SetLabelColour(Control label, int colour) {
  QLabel* shown = LabelOf(label);
  QFont font = shown->font();
  font.setBold(colour == kColourShortOfSpace);
  shown->setFont(font);
  if (colour != kColourShortOfSpace) {
    // The text colour of the user's palette, light or dark.
    shown->setPalette(QPalette());
    return;
  }
  // A red that stands out from the palette's own background, light or dark.
  QPalette palette = shown->palette();
  const bool dark = palette.color(QPalette::Window).lightness() < 128;
  palette.setColor(QPalette::WindowText, QColor::fromHsl(0, 200, dark ? 170 : 90));
  shown->setPalette(palette);
}

void SpaceLabels::SetCopyCursor(bool on) {
  if (!on) {
    window_.unsetCursor();
    return;
  }
  const QPixmap picture(Q(folders_.data_folder + "/copy_cursor.png"));
  window_.setCursor(picture.isNull() ? QCursor(Qt::BusyCursor) : QCursor(picture, 0, 0));
}

void SpaceLabels::ShowMessage(const std::string& text, MessageIcon icon) {
  Dialogs::Message(&window_, Q(text), icon);
}

void SpaceLabels::MeasureDestination(std::function<void(const DestinationSpace&)> then) {
  auto measured = std::make_shared<DestinationSpace>();
  measurer_.Measure(
      [&fs = fs_, destination = job_.Destination, state = folders_.state_folder,
       measured](std::stop_token) {
        *measured = MeasureDestinationSpace(fs, destination, state);
        return measured->free_bytes;
      },
      [measured, then = std::move(then)](double) { then(*measured); });
}

}  // namespace orvessa
