#pragma once

#include <cstdint>
#include <string>

#include "core/run_view.hpp"

namespace orvessa {

// Where a run stands, for a progress bar and a line that says what is being copied.
struct RunProgress {
  int entry = 0;  // the source being copied, from 1; 0 before the first
  int entries = 0;
  std::uint64_t bytes = 0;  // written or shared so far
  double selected_bytes = 0;
  std::uint64_t files = 0;  // put in place so far
  std::string current;      // the file being copied
};

// What a run tells whoever shows it. Called on the run's own thread: a window passes
// them on to its thread; a terminal prints them.
class RunEvents {
 public:
  virtual ~RunEvents() = default;
  // The destination's free bytes as measured for the run, and its drive (kNetworkDrive
  // for one on the network).
  virtual void Measured(double /*free_bytes*/, const std::string& /*destination_drive*/) {}
  // Copying begins, of this many sources in list order.
  virtual void Copying(int /*entries*/) {}
  // The run's line: each source as its copy starts, the comparison, the last line.
  virtual void Line(const std::string& text) = 0;
  // Source `index` (from 0) starts being copied; its line says which.
  virtual void Entry(int /*index*/, const std::string& text) { Line(text); }
  virtual void Progress(const RunProgress& progress) = 0;
  // A message for the user by its text number; the run never waits for it to be read.
  virtual void Notice(int text, MessageIcon icon) = 0;
};

}  // namespace orvessa
