#include "SeparaNom.h"

namespace library {

bool isPathSeparator(QChar c) {
#ifdef Q_OS_WIN
  return c == QLatin1Char('\\') || c == QLatin1Char('/');
#else
  return c == QLatin1Char('/');
#endif
}

QString SeparaNom(QString& Clave, int op) {
  const qsizetype n = Clave.size();
  if (op == 2) {
    for (qsizetype k = n - 2; k >= 0; --k)
      if (isPathSeparator(Clave[k])) return Clave.mid(k + 1);
    return Clave;
  }
  if (Clave.isEmpty()) return {};
  for (qsizetype k = n - 1; k >= 0; --k)
    if (isPathSeparator(Clave[k])) {
      Clave = Clave.mid(k + 1);
      break;
    }
  QString artist, title;
  const qsizetype dash = Clave.indexOf(QLatin1Char('-'));
  if (dash >= 0) {
    artist = Clave.left(dash).trimmed();
    title = Clave.mid(dash + 1).trimmed();
  }
  if (artist.isEmpty()) {
    artist = Clave.size() > 3 ? Clave.left(Clave.size() - 4) : QString();
    title.clear();
  }
  return op == 1 ? title : artist;
}

}  // namespace library
