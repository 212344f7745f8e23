#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/backup_run.hpp"
#include "tests/support/fake_services.hpp"
#include "tests/support/fault_injecting_file_system.hpp"
#include "tests/support/file_helpers.hpp"
#include "tests/support/run_fakes.hpp"

namespace orvessa::testing {

using Strings = std::vector<std::string>;

// A run of the engine on real temporary folders, with fakes for the window and the host.
class Run : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteText(src + "/Docs/a.txt", "alpha");
    WriteText(src + "/Docs/sub/b.txt", "beta");
    WriteText(src + "/notes.txt", "notes");
    std::filesystem::create_directories(dest);
    job.Destination = dest;
    identity = JobFileIdentity::FromPath(tmp / "jobs/daily.cop");
  }

  void Folder(const std::string& path) { job.Sources.push_back(*SourceEntry::ForFolder(path)); }
  void File(const std::string& path) { job.Sources.push_back(*SourceEntry::ForFile(path)); }

  BackupRun& Engine() {
    if (!run) {
      space = std::make_unique<SpaceAccounting>(job, fs, locale, view, EnglishText, state);
      RunSettings settings;
      settings.program_folder = program;
      settings.animation_path = "/nowhere/filecopy.gif";
      settings.text = EnglishText;
      settings.WindowsVersion = host_version;
      settings.drive_wait_polls = 3;
      settings.verify_all = verify_all;
      settings.state_folder = state;
      run = std::make_unique<BackupRun>(RunServices{fs, clock, locale, pump, power}, view, *space,
                                        job, identity, settings);
    }
    return *run;
  }

  RunEnd Start() {
    view.labels[Control::Label5] = job.Destination;
    Engine().cmdCopiar_Click();
    return run->LastEnd;
  }

  static bool Writable(const std::string& path) {
    using std::filesystem::perms;
    return (std::filesystem::status(path).permissions() & perms::owner_write) != perms::none;
  }

  TempFolder tmp;
  const std::string src = tmp / "src", dest = tmp / "backup", program = tmp / "data/Orvessa",
                    state = tmp / "state/Orvessa";
  float host_version = 6.01f;
  bool verify_all = false;
  FaultInjectingFileSystem fs;
  FakeClock clock{{{2026, 12, 6}, {13, 5, 9}}};
  FakeLocale locale;
  FakePump pump;
  FakePower power;
  std::vector<std::string> events;
  RecordingRunView view{&events};
  BackupJob job;
  JobFileIdentity identity;
  std::unique_ptr<SpaceAccounting> space;
  std::unique_ptr<BackupRun> run;
};

}  // namespace orvessa::testing
