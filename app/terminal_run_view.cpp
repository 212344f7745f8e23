#include "app/terminal_run_view.hpp"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>

namespace orvessa {
namespace {

std::string Megabytes(double bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MB", bytes / 1e6);
  return text;
}

std::string Clock(double seconds) {
  const long long s = std::llround(seconds);
  char text[32];
  if (s >= 3600) {
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
  } else {
    std::snprintf(text, sizeof text, "%lld:%02lld", s / 60, s % 60);
  }
  return text;
}

// The start and the end of a path, joined by "...", in `room` bytes (UTF-8 sequences kept
// whole).
std::string Shortened(const std::string& path, std::size_t room) {
  if (path.size() <= room) return path;
  if (room < 5) return {};
  const std::size_t keep = room - 3;
  std::size_t head = keep / 3;
  std::size_t tail_from = path.size() - (keep - head);
  auto continuation = [&](std::size_t at) {
    return at < path.size() && (static_cast<unsigned char>(path[at]) & 0xC0) == 0x80;
  };
  while (head > 0 && continuation(head)) --head;
  while (continuation(tail_from)) ++tail_from;
  std::string text = path.substr(0, head);
  text += "...";
  text += path.substr(tail_from);
  return text;
}

}  // namespace

std::string ProgressLine(const ProgressFigures& f, std::size_t width) {
  const double total = std::max(f.total_bytes, static_cast<double>(f.bytes));
  const double rate = f.seconds > 0 ? static_cast<double>(f.bytes) / f.seconds : 0;
  std::string line = Megabytes(static_cast<double>(f.bytes));
  line += " of ";
  line += Megabytes(total);
  char figures[96];
  std::snprintf(figures, sizeof figures, " (%d%%), ",
                total > 0 ? static_cast<int>(f.bytes * 100.0 / total) : 100);
  line += figures;
  line += Megabytes(rate);
  std::snprintf(figures, sizeof figures, "/s, %llu files",
                static_cast<unsigned long long>(f.files));
  line += figures;
  if (rate > 0 && total > static_cast<double>(f.bytes)) {
    line += ", ";
    line += Clock((total - static_cast<double>(f.bytes)) / rate);
    line += " left";
  }
  if (!f.current.empty() && line.size() + 2 < width) {
    line += ", ";
    line += Shortened(f.current, width - line.size());
  }
  if (line.size() > width) line.resize(width);
  return line;
}

TerminalRunView::TerminalRunView(std::FILE* out, std::FILE* err, ProgressStyle style,
                                 TextSource text, Now now)
    : out_(out), err_(err), style_(style), text_(std::move(text)), now_(std::move(now)) {}

TerminalRunView::~TerminalRunView() { ClearProgress(); }

void TerminalRunView::Line(const std::string& text) {
  ClearProgress();
  std::fprintf(out_, "%s\n", text.c_str());
  std::fflush(out_);
}

void TerminalRunView::ShowMessage(const std::string& text, MessageIcon) {
  ClearProgress();
  std::fprintf(err_, "Orvessa: %s\n", text.c_str());
  std::fflush(err_);
}

void TerminalRunView::Notice(int text, MessageIcon icon) { ShowMessage(text_(text), icon); }

void TerminalRunView::Progress(const RunProgress& progress) {
  ShowCopyProgress(progress.bytes, progress.selected_bytes, progress.files, progress.current);
}

std::size_t TerminalRunView::Width() const {
  struct winsize size {};
  if (::ioctl(::fileno(out_), TIOCGWINSZ, &size) == 0 && size.ws_col > 1) {
    return static_cast<std::size_t>(size.ws_col) - 1;  // the last column would wrap
  }
  return 79;
}

void TerminalRunView::ShowCopyProgress(std::uint64_t bytes, double selected_bytes,
                                       std::uint64_t files, const std::string& current) {
  if (style_ == ProgressStyle::None) return;
  const auto now = now_();
  const bool first = !copying_;
  if (first) {
    // The rate counts from the first bytes, not from the checks and the drive wait.
    copying_ = true;
    started_ = last_shown_ = now;
  }
  // A terminal shows the line at once; a log gets its first line after a while.
  const auto every = style_ == ProgressStyle::Redrawn
                         ? std::chrono::duration_cast<std::chrono::milliseconds>(kRedrawEvery)
                         : std::chrono::duration_cast<std::chrono::milliseconds>(kLogLineEvery);
  if (!(first && style_ == ProgressStyle::Redrawn) && now - last_shown_ < every) return;
  last_shown_ = now;
  ProgressFigures figures{bytes, selected_bytes, files,
                          std::chrono::duration<double>(now - started_).count(), current};
  if (style_ == ProgressStyle::Redrawn) {
    std::fprintf(out_, "\r%s\033[K", ProgressLine(figures, Width()).c_str());
    line_shown_ = true;
  } else {
    std::fprintf(out_, "%s\n", ProgressLine(figures, 4096).c_str());
  }
  std::fflush(out_);
}

void TerminalRunView::ClearProgress() {
  if (!line_shown_) return;
  std::fprintf(out_, "\r\033[K");
  std::fflush(out_);
  line_shown_ = false;
}

}  // namespace orvessa
