#include "NamedLines.h"

namespace app {

void readNamedLines(const QString& text, const char* form, QStringList* problems,
                    const NamedLine& take) {
  const QStringList lines = text.split(QLatin1Char('\n'));
  for (int n = 0; n < lines.size(); ++n) {
    const QString line = lines[n].trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    const QString why = eq < 0
                            ? QStringLiteral("\"%1\" is not \"%2\"").arg(line, QLatin1String(form))
                            : take(n + 1, line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    if (!why.isEmpty() && problems)
      problems->append(QStringLiteral("line %1: %2, skipped").arg(n + 1).arg(why));
  }
}

}  // namespace app
