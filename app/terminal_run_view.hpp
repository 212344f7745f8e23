#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "core/run_view.hpp"

namespace orvessa {

// The run's window for a terminal: each entry and the final line on standard output,
// messages on standard error, and a progress bar while standard error is a terminal.
class TerminalRunView : public RunView {
 public:
  TerminalRunView(std::FILE* out, std::FILE* err, bool progress_bar);
  ~TerminalRunView() override;

  // What unloading the window does here (powering off when the run asks for it).
  std::function<void()> on_unload;
  bool unloaded = false;

  void SetLabelText(Control label, const std::string& text) override;
  void SetLabelColour(Control, int) override {}
  void SetCopyCursor(bool) override {}
  void ShowMessage(const std::string& text, MessageIcon icon) override;

  bool ShowTab(int index) override;
  void SetStatusPanel(int panel, const std::string& text) override;
  void SetLabel6Visible(bool) override {}
  void SetTimer2Enabled(bool) override {}
  void SetProgressMaximum(int maximum) override { entries_ = maximum; }
  void SetProgressValue(double value) override { progress_ = value; }
  void ShowBytesCopied(std::uint64_t bytes, double selected_bytes) override;
  void OpenAnimation(const std::string&) override {}
  void PlayAnimation() override {}
  void StopAnimation() override {}
  void CloseAnimation() override {}
  void SetAnimationVisible(bool) override {}
  void UnloadMainWindow() override;

 private:
  void ClearBar();

  std::FILE* out_;
  std::FILE* err_;
  bool progress_bar_;
  bool bar_shown_ = false;
  int tab_ = -1;
  int entries_ = 0;
  double progress_ = 0;
};

// One line of the progress bar, without the carriage return: the bar, the share of
// the selected bytes and the megabytes written.
std::string ProgressLine(std::uint64_t bytes, double selected_bytes, int width);

}  // namespace orvessa
