#pragma once

#include <string>

namespace orvessa {

// The writable program folder: last-copy record, the job file copy ($XDG_DATA_HOME/Orvessa).
std::string ProgramFolder();

// What the program keeps of the machine for itself: which disk each destination lies on
// ($XDG_STATE_HOME/Orvessa).
std::string StateFolder();

// The read-only program folder: help pages, copy animation, cursor. The installed data
// folder beside the program, else the source tree's assets.
std::string DataFolder(const std::string& program_path);

// The stored language, English when none or an unknown one is stored.
class SettingsStore;
int StoredLanguageBase(const SettingsStore& settings);

}  // namespace orvessa
