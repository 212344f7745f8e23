#pragma once

#include <QString>
#include <string>

namespace orvessa {

// The program keeps its texts as UTF-8 std::string; Qt wants QString.
inline QString Q(const std::string& text) { return QString::fromStdString(text); }
inline std::string S(const QString& text) { return text.toStdString(); }

}  // namespace orvessa
