#include "core/missing_list.hpp"

namespace orvessa {
namespace {

// A line end or tab inside a name would break the line into two records.
std::string OneLine(const std::string& text) {
  std::string line;
  for (char c : text) {
    if (c == '\n') {
      line += "\\n";
    } else if (c == '\t') {
      line += "\\t";
    } else if (c == '\\') {
      line += "\\\\";
    } else {
      line += c;
    }
  }
  return line;
}

}  // namespace

std::string MissingListText(const std::vector<MissedPath>& missed) {
  std::string text;
  for (const MissedPath& path : missed) {
    text += OneLine(path.source);
    text += '\t';
    if (!path.carried) {
      text += "missing: ";
    } else if (path.carried_from.empty()) {
      text += "kept from the previous copy: ";
    } else {
      text += "carried over from " + path.carried_from + ": ";
    }
    text += OneLine(path.reason);
    text += '\n';
  }
  return text;
}

}  // namespace orvessa
