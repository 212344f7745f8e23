#pragma once

#include <string>
#include <string_view>

namespace orvessa {

// Why job file bytes cannot be taken as a job to run, in words; empty when they can. A
// run must not guess: an empty, cut-off, binary or overlong file, or one whose count of
// sources disagrees with its lines, could otherwise copy too little and report success.
// `truncated`: the bytes stop short of the file's end.
std::string JobFileProblem(std::string_view bytes, bool truncated);

}  // namespace orvessa
