#pragma once

#include <QSet>
#include <QString>

namespace orvessa {

// Gives captions an Alt letter each, never the same letter twice among them.
class Mnemonics {
 public:
  // The caption with "&" before its first letter not taken yet (none when all are),
  // and any "&" of its own doubled so that it shows.
  QString Mark(const QString& caption);

 private:
  QSet<QChar> taken_;
};

}  // namespace orvessa
