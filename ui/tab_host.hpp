#pragma once

#include <QString>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>

#include "core/run_view.hpp"
#include "core/space_accounting.hpp"
#include "ui/make_widget.hpp"
#include "ui/mnemonics.hpp"

namespace orvessa {

// What a tab of the main window asks of the window it sits in.
class TabHost {
 public:
  virtual bool RunInProgress() const = 0;
  virtual QString Text(int number) const = 0;
  virtual std::string TextUtf8(int number) const = 0;
  virtual void ShowMessage(const std::string& text, MessageIcon icon) = 0;
  // Free space and the destination's state, measured off the window's thread; `then`
  // follows on it.
  virtual void MeasureDestination(std::function<void(const DestinationSpace&)> then) = 0;

 protected:
  ~TabHost() = default;
};

using TextOf = std::initializer_list<std::pair<QWidget*, int>>;

// Each control's caption in the current language.
inline void SetCaptions(const TabHost& host, TextOf captions) {
  for (const auto& [control, number] : captions) SetCaption(control, host.Text(number));
}

// Controls without a caption of their own are named after what they hold, so that
// screen readers and the accessibility tree can tell them apart.
inline void SetAccessibleNames(const TabHost& host, TextOf names) {
  for (const auto& [control, number] : names) {
    control->setAccessibleName(NameOf(host.Text(number)));
  }
}

// The buttons' captions, each with a letter for Alt that no other control of the window has.
inline void MarkButtons(const TabHost& host, Mnemonics& letters,
                        std::initializer_list<std::pair<QAbstractButton*, int>> buttons) {
  for (const auto& [button, number] : buttons) button->setText(letters.Mark(host.Text(number)));
}

}  // namespace orvessa
