#pragma once

#include <cstdint>
#include <string>

namespace orvessa {

enum class MessageIcon { Critical, Exclamation, Information, None };

// The labels the space figures and the run write to.
enum class Control { Label5, Label7, Label8, Label9, Label19, Label20, Label21 };

// Colour values of the copy tab's space labels.
inline constexpr int kColourEnoughSpace = 1;  // red 1: practically black
inline constexpr int kColourShortOfSpace = 255;

// What the space figures need of the window.
class SpaceView {
 public:
  virtual ~SpaceView() = default;
  // Shown at once, also in the middle of a long operation.
  virtual void SetLabelText(Control label, const std::string& text) = 0;
  virtual void SetLabelColour(Control label, int colour) = 0;
  virtual void SetCopyCursor(bool on) = 0;  // the copy cursor, or back to the default
  // A modal message with the program's title and an OK button; yields while shown.
  virtual void ShowMessage(const std::string& text, MessageIcon icon) = 0;
};

}  // namespace orvessa
