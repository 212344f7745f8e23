#pragma once

#include <QLabel>
#include <QString>

namespace orvessa {

// A label that shows a value is heard by screen readers as "caption: value", made afresh
// each time it is asked for, so it follows the label's text; the caption says what the
// value is. The window calls InstallValueLabels once, before its labels are read.
void InstallValueLabels();
void SetValueCaption(QLabel* label, const QString& caption);

}  // namespace orvessa
