#include "ui/mnemonics.hpp"

namespace orvessa {

QString Mnemonics::Mark(const QString& caption) {
  QString marked = caption;
  marked.replace(QLatin1Char('&'), QStringLiteral("&&"));
  for (qsizetype i = 0; i < marked.size(); ++i) {
    const QChar letter = marked[i].toLower();
    if (!letter.isLetter() || taken_.contains(letter)) continue;
    taken_.insert(letter);
    marked.insert(i, QLatin1Char('&'));
    break;
  }
  return marked;
}

}  // namespace orvessa
