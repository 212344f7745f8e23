#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/run_view.hpp"
#include "i18n/string_table.hpp"
#include "platform/event_pump.hpp"
#include "platform/power.hpp"

namespace orvessa::testing {

// Time passes only when the run waits; a hook lets a test act in the middle of a run.
class FakePump : public EventPump {
 public:
  void ProcessEvents(std::chrono::milliseconds max_wait) override {
    ++calls;
    now_ += max_wait;
    waited += max_wait;
    if (on_events) on_events();
  }
  std::chrono::steady_clock::time_point MonotonicNow() const override { return now_; }

  int calls = 0;
  std::chrono::milliseconds waited{0};
  std::function<void()> on_events;

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

// The window as a record of what the run showed.
class RecordingRunView : public RunView {
 public:
  explicit RecordingRunView(std::vector<std::string>* events = nullptr) : events_(events) {}

  std::string LabelText(Control label) const {
    auto it = labels.find(label);
    return it == labels.end() ? std::string() : it->second;
  }
  void SetLabelText(Control label, const std::string& text) override {
    labels[label] = text;
    if (label == Control::Label8) label8_history.push_back(text);
  }
  void SetLabelColour(Control label, int colour) override { colours[label] = colour; }
  void SetCopyCursor(bool on) override { copy_cursor = on; }
  void ShowMessage(const std::string& text, MessageIcon icon) override {
    messages.push_back(text);
    icons.push_back(icon);
    Note("message " + text);
  }
  bool ShowTab(int index) override {
    bool changed = tab != index;
    tab = index;
    return changed;
  }
  std::string StatusPanel(int panel) const {
    auto it = panels.find(panel);
    return it == panels.end() ? std::string() : it->second;
  }
  void SetStatusPanel(int panel, const std::string& text) override {
    panels[panel] = text;
    if (panel == 5) Note("panel5 " + text);
  }
  void SetLabel6Visible(bool visible) override { label6_visible = visible; }
  void SetTimer2Enabled(bool enabled) override { timer2_enabled = enabled; }
  void SetProgressMaximum(int maximum) override { progress_maximum = maximum; }
  void SetProgressValue(double value) override { progress_value = value; }
  void ShowBytesCopied(std::uint64_t, double) override {}
  void OpenAnimation(const std::string&) override { animation_open = true; }
  void PlayAnimation() override {}
  void StopAnimation() override {}
  void CloseAnimation() override { animation_open = false; }
  void SetAnimationVisible(bool visible) override { animation_visible = visible; }
  void UnloadMainWindow() override {
    unloaded = true;
    Note("unload");
    if (on_unload) on_unload();
  }

  std::map<Control, std::string> labels;
  std::map<Control, int> colours;
  std::map<int, std::string> panels;
  std::vector<std::string> messages;
  std::vector<MessageIcon> icons;
  std::vector<std::string> label8_history;
  std::function<void()> on_unload;
  int tab = 0;
  bool copy_cursor = false, label6_visible = false, timer2_enabled = false;
  bool animation_open = false, animation_visible = false, unloaded = false;
  int progress_maximum = 0;
  double progress_value = 0;

 private:
  void Note(const std::string& event) {
    if (events_) events_->push_back(event);
  }
  std::vector<std::string>* events_;
};

// English texts of the string table by number.
inline std::string EnglishText(int number) { return LoadText(kEnglishBase, number); }

}  // namespace orvessa::testing
