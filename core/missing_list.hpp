#pragma once

#include <string>
#include <vector>

namespace orvessa {

// A plain UTF-8 text at the top of a copy that missed files: one line a file or folder
// that could not be copied, its original path, a tab, what became of it and why. A copy
// without it is complete.
inline constexpr const char* kMissingListName = ".orvessa-missing.txt";

struct MissedPath {
  std::string source;        // the original path
  std::string reason;        // in words
  std::string carried_from;  // the older copy it was taken from ("Copy03", or "" for the
                             // previous copy in overwrite mode); unused when not carried
  bool carried = false;
};

std::string MissingListText(const std::vector<MissedPath>& missed);

}  // namespace orvessa
