#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <stop_token>
#include <string>
#include <vector>

#include "core/backup_run.hpp"
#include "core/run_records.hpp"
#include "tests/support/fake_services.hpp"
#include "tests/support/fault_injecting_file_system.hpp"
#include "tests/support/file_helpers.hpp"
#include "tests/support/run_fakes.hpp"

namespace orvessa::testing {

using Strings = std::vector<std::string>;
using Carried = std::vector<std::pair<std::string, std::uint64_t>>;

// A run of the engine on real temporary folders, with fakes for the window and the host;
// its end is recorded as the window records it.
class Run : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteText(src + "/Docs/a.txt", "alpha");
    WriteText(src + "/Docs/sub/b.txt", "beta");
    WriteText(src + "/notes.txt", "notes");
    std::filesystem::create_directories(dest);
    job.Destination = dest;
    identity = JobFileIdentity::FromPath(tmp / "jobs/daily.cop");
    events.during = time.during = [this] {
      if (during) during();
    };
  }

  void Folder(const std::string& path) { job.Sources.push_back(*SourceEntry::ForFolder(path)); }
  void File(const std::string& path) { job.Sources.push_back(*SourceEntry::ForFile(path)); }
  void DocsAndNotes() {
    Folder(src + "/Docs");
    File(src + "/notes.txt");
  }
  void Keep(std::int16_t copies) {
    job.CopyMode = true;
    job.CopiesToKeep = copies;
  }

  RunEnd Start() {
    RunSettings settings;
    settings.text = EnglishText;
    settings.drive_wait_polls = 3;
    settings.verify_all = verify_all;
    settings.share_unchanged = share_unchanged;
    settings.state_folder = state;
    stop = std::stop_source();
    BackupRun run(RunServices{fs, fs, clock, locale, time}, events, settings, job);
    result = run.Run(stop.get_token());
    RecordRun(fs, clock, locale, program, state, job, identity, result);
    return result.end;
  }

  // The run's end and the messages it gave.
  std::pair<RunEnd, Strings> Outcome() {
    events.messages.clear();
    const RunEnd end = Start();
    return {end, events.messages};
  }
  static std::pair<RunEnd, Strings> Ends(RunEnd end, Strings messages = {}) {
    return {end, std::move(messages)};
  }

  // What the destination has free, as a run measures it.
  double FreeBytes() const { return MeasureDestinationSpace(fs, dest, state).free_bytes; }

  TempFolder tmp;
  const std::string src = tmp / "src", dest = tmp / "backup", program = tmp / "data/Orvessa",
                    state = tmp / "state/Orvessa";
  bool verify_all = false;
  bool share_unchanged = true;
  FaultInjectingFileSystem fs;
  FakeClock clock{{{2026, 12, 6}, {13, 5, 9}}};
  FakeLocale locale;
  FakeTime time;
  RecordingEvents events;
  std::function<void()> during;  // called at each wait and each step of a copy
  std::stop_source stop;
  BackupJob job;
  JobFileIdentity identity;
  RunResult result;
};

}  // namespace orvessa::testing
