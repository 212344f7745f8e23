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

// What a backup run needs of the window besides the space labels.
class RunView : public SpaceView {
 public:
  // Shows the tab; true when another tab was shown before. The caller runs the
  // tab-change reaction.
  virtual bool ShowTab(int index) = 0;
  virtual void SetStatusPanel(int panel, const std::string& text) = 0;
  virtual void SetLabel6Visible(bool visible) = 0;
  virtual void SetTimer2Enabled(bool enabled) = 0;
  virtual void SetProgressMaximum(int maximum) = 0;
  virtual void SetProgressValue(double value) = 0;
  // Bytes written so far by this run, for progress inside a large entry.
  virtual void ShowBytesCopied(std::uint64_t bytes, double selected_bytes) = 0;
  // The same moment in more detail, for views that show it: files put in place so far
  // and the source being copied.
  virtual void ShowCopyProgress(std::uint64_t /*bytes*/, double /*selected_bytes*/,
                                std::uint64_t /*files*/, const std::string& /*current*/) {}
  virtual void OpenAnimation(const std::string& path) = 0;  // a missing clip shows nothing
  virtual void PlayAnimation() = 0;
  virtual void StopAnimation() = 0;
  virtual void CloseAnimation() = 0;
  virtual void SetAnimationVisible(bool visible) = 0;
  // Unloads the main window; its unload powers the machine off when asked to.
  virtual void UnloadMainWindow() = 0;
};

}  // namespace orvessa
