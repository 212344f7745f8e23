#include "app/terminal_run_view.hpp"

#include <algorithm>
#include <cmath>

namespace orvessa {

TerminalRunView::TerminalRunView(std::FILE* out, std::FILE* err, bool progress_bar)
    : out_(out), err_(err), progress_bar_(progress_bar) {}

TerminalRunView::~TerminalRunView() { ClearBar(); }

void TerminalRunView::SetLabelText(Control label, const std::string& text) {
  if (label != Control::Label8) return;
  ClearBar();
  std::fprintf(out_, "%s\n", text.c_str());
  std::fflush(out_);
}

void TerminalRunView::ShowMessage(const std::string& text, MessageIcon) {
  ClearBar();
  std::fprintf(err_, "Orvessa: %s\n", text.c_str());
  std::fflush(err_);
}

bool TerminalRunView::ShowTab(int index) {
  const bool changed = tab_ != index;
  tab_ = index;
  return changed;
}

void TerminalRunView::SetStatusPanel(int, const std::string&) {}

void TerminalRunView::ShowBytesCopied(std::uint64_t bytes, double selected_bytes) {
  if (!progress_bar_) return;
  std::fprintf(err_, "\r%s", ProgressLine(bytes, selected_bytes, 30).c_str());
  std::fflush(err_);
  bar_shown_ = true;
}

void TerminalRunView::UnloadMainWindow() {
  unloaded = true;
  if (on_unload) on_unload();
}

void TerminalRunView::ClearBar() {
  if (!bar_shown_) return;
  std::fprintf(err_, "\r\033[K");
  std::fflush(err_);
  bar_shown_ = false;
}

std::string ProgressLine(std::uint64_t bytes, double selected_bytes, int width) {
  // The selection was measured before the run; files may have grown since.
  double share = selected_bytes > 0 ? static_cast<double>(bytes) / selected_bytes : 1.0;
  share = std::clamp(share, 0.0, 1.0);
  const int filled = static_cast<int>(std::floor(share * width));
  // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) on `"[" + string`.
  std::string line = "[";
  line.append(static_cast<std::size_t>(filled), '#');
  line.append(static_cast<std::size_t>(width - filled), '.');
  line += "] ";
  char figures[64];
  std::snprintf(figures, sizeof figures, "%3d%%  %.1f MB", static_cast<int>(share * 100),
                static_cast<double>(bytes) / 1e6);
  return line + figures;
}

}  // namespace orvessa
