#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/run_events.hpp"
#include "i18n/string_table.hpp"
#include "platform/monotonic.hpp"
#include "platform/power.hpp"

namespace orvessa::testing {

// Time passes only when the run waits; a hook lets a test act meanwhile.
class FakeTime : public Monotonic {
 public:
  std::chrono::steady_clock::time_point Now() const override { return now_; }
  bool Wait(std::chrono::milliseconds duration, std::stop_token stop) override {
    now_ += duration;
    waited += duration;
    if (during) during();
    return !stop.stop_requested();
  }

  std::chrono::milliseconds waited{0};
  std::function<void()> during;

 private:
  std::chrono::steady_clock::time_point now_{std::chrono::hours(1)};
};

class FakePower : public PowerService {
 public:
  std::optional<HostVersion> ReadHostVersion() const override { return version; }
  void EnableShutdownPrivilege() override { events.push_back("privilege"); }
  void ExitSystem(unsigned flags) override { events.push_back("exit " + std::to_string(flags)); }

  std::optional<HostVersion> version;
  std::vector<std::string> events;
};

// The window's space labels as a record.
class RecordingSpaceView : public SpaceView {
 public:
  std::string LabelText(Control label) const {
    auto it = labels.find(label);
    return it == labels.end() ? std::string() : it->second;
  }
  void SetLabelText(Control label, const std::string& text) override { labels[label] = text; }
  void SetLabelColour(Control label, int colour) override { colours[label] = colour; }
  void SetCopyCursor(bool) override {}
  void ShowMessage(const std::string& text, MessageIcon) override { messages.push_back(text); }

  std::map<Control, std::string> labels;
  std::map<Control, int> colours;
  std::vector<std::string> messages;
};

// What a run told, as a window would show it.
class RecordingEvents : public RunEvents {
 public:
  void Line(const std::string& text) override { lines.push_back(text); }
  void Progress(const RunProgress&) override {
    if (during) during();
  }
  void Notice(int text, MessageIcon) override { messages.push_back(LoadText(kEnglishBase, text)); }

  std::vector<std::string> lines;  // each entry, the comparison, the last line
  std::vector<std::string> messages;
  std::function<void()> during;
};

// English texts of the string table by number.
inline std::string EnglishText(int number) { return LoadText(kEnglishBase, number); }

}  // namespace orvessa::testing
