#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "core/run_events.hpp"
#include "core/space_accounting.hpp"

namespace orvessa {

// How a run's progress is shown: a line redrawn in place (a terminal), a plain line now
// and then (a log), or not at all.
enum class ProgressStyle { Redrawn, Plain, None };

// Redraws of the terminal line and lines in a log are at least this far apart.
inline constexpr std::chrono::milliseconds kRedrawEvery{250};
inline constexpr std::chrono::seconds kLogLineEvery{10};

// What a progress line says.
struct ProgressFigures {
  std::uint64_t bytes = 0;
  double total_bytes = 0;  // measured before the run; files may have grown since
  std::uint64_t files = 0;
  double seconds = 0;   // since the copy started
  std::string current;  // the source being copied
};

// "12.3 MB of 200.0 MB (6%), 4.1 MB/s, 120 files, 0:45 left, <file>" with the file's path
// shortened in its middle so that the whole line fits `width` characters.
std::string ProgressLine(const ProgressFigures& figures, std::size_t width);

// The run on a terminal: each entry and the final line on standard output, messages on
// standard error, and the progress in the chosen style on standard output.
class TerminalRunView : public SpaceView, public RunEvents {
 public:
  using Now = std::function<std::chrono::steady_clock::time_point()>;
  TerminalRunView(
      std::FILE* out, std::FILE* err, ProgressStyle style, TextSource text,
      Now now = [] { return std::chrono::steady_clock::now(); });
  ~TerminalRunView() override;

  // Removes a progress line drawn in place, before the summary.
  void ClearProgress();

  void SetLabelText(Control, const std::string&) override {}
  void SetLabelColour(Control, int) override {}
  void SetCopyCursor(bool) override {}
  void ShowMessage(const std::string& text, MessageIcon icon) override;

  void Line(const std::string& text) override;
  void Progress(const RunProgress& progress) override;
  void Notice(int text, MessageIcon icon) override;

 private:
  void ShowCopyProgress(std::uint64_t bytes, double selected_bytes, std::uint64_t files,
                        const std::string& current);
  std::size_t Width() const;

  std::FILE* out_;
  std::FILE* err_;
  ProgressStyle style_;
  TextSource text_;
  Now now_;
  bool line_shown_ = false;
  bool copying_ = false;
  std::chrono::steady_clock::time_point started_{};
  std::chrono::steady_clock::time_point last_shown_{};
};

}  // namespace orvessa
